#pragma once

#include <cstdint>
#include <memory>

#include "document/ObjectRecord.h"
#include "platform/SharedBytes.h"

namespace qlm {

class ArchiveWriter;
class CodePage;
class Dialogs;
class PictureStore;
struct PageRecord;

// A page whose record was checked when the document was opened but is read only when the page
// is first needed: its stored bytes and what reading them takes, as it was at opening.
struct DeferredPage {
  SharedBytes record;  // the whole page record
  int32_t version = 0;
  const CodePage* codePage = nullptr;
  ObjectFont profileFont;  // what fresh objects took when the document was opened
  std::shared_ptr<PictureStore> pictures;
};

// Reads a page that is still deferred; a page read already is left alone. Messages of the
// reader go to `dialogs` (none when null). Bytes that are gone (a mapped file cut short since)
// or damaged leave the page empty under its name, with a message, and give false.
bool ReadDeferredPage(PageRecord& page, Dialogs* dialogs);

// Writes a deferred page's record as it is stored; the bytes are only valid at their version.
void WriteDeferredPage(ArchiveWriter& writer, const DeferredPage& page, int32_t version);

}  // namespace qlm
