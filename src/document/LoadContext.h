#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "document/ObjectRecord.h"
#include "document/PictureStore.h"
#include "platform/Dialogs.h"

namespace qlm {

class CodePage;
class ProfileStore;

// What the readers share while a project is read. The player keeps one for its whole run and
// passes it down; the format version is the one the last successful load set.
struct LoadContext {
  static constexpr int32_t kCurrentVersion = 29;

  explicit LoadContext(Dialogs& d) : dialogs(d) {}

  int32_t version = kCurrentVersion;      // every version gate consults this
  Dialogs& dialogs;                       // every message of the readers goes here
  const ProfileStore* profile = nullptr;  // section "Font" gives fresh objects their font
  const CodePage* codePage = nullptr;     // for wide strings; Windows-1252 when null
  std::string sourceName;                 // file name shown in messages
  bool quietOpen = false;                 // no message when the file cannot be opened
  // The profile's font for fresh objects while a document's pages are read: read once for them
  // all (each read of the profile looks at its file again).
  std::optional<ObjectFont> profileFont;
  // Set: pictures keep their stored bytes and are decoded into this store when first drawn.
  // Null: they are decoded while the document is read (tools that check every picture).
  std::shared_ptr<PictureStore> pictures;
  // Set (with `pictures`, over memory the pages can point into): pages after the first are only
  // checked while the document is read, and read when first needed (see DeferredPage.h).
  bool deferPages = false;
};

}  // namespace qlm
