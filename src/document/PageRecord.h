#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/CompressedBlock.h"
#include "document/ObjectRecord.h"
#include "document/ScriptBody.h"
#include "document/StoredImage.h"

namespace qlm {

struct DeferredPage;

// One page as stored: background, objects, scripts and the values the player keeps.
struct PageRecord {
  std::string name = "Page 1";
  uint32_t stateValue = 0;
  std::string stateText;
  uint32_t pageValue1 = 0;
  uint32_t pageIndex = 0;  // stored 1-based, kept 0-based (never below 0)
  uint32_t hasImage = 0;
  uint32_t useFirstPageBackground = 0;
  StoredImage image;  // only when hasImage is set
  uint32_t backgroundColour = 0xFFFFFF;
  uint32_t tileImage = 0;
  uint32_t pageValue3 = 22784;
  std::vector<ObjectRecord> objects;  // drawing order
  std::string pageText;
  uint32_t useMasterBackground = 0;
  uint32_t pageValue5 = 0;
  uint32_t transitionType = 0;      // page value 6
  uint32_t transitionDuration = 0;  // page value 7, milliseconds
  ScriptBody enterScript;
  uint32_t dataSize1 = 0;
  uint32_t dataSize2 = 0;
  CompressedBlock data;
  uint32_t pageValue8 = 0;
  uint32_t pageValue9 = 0;
  ScriptBody exitScript;

  // Set while the record is not read yet (see DeferredPage.h): only the name is filled in, and
  // the page manager reads the rest before the page is used.
  std::shared_ptr<const DeferredPage> deferred;

  bool operator==(const PageRecord&) const = default;
};

// The stored layout of a page (see RecordLayout.h).
void VisitLayout(FieldReader& io, PageRecord& page);
void VisitLayout(FieldWriter& io, const PageRecord& page);
PageRecord ReadPageRecord(ArchiveReader& reader, LoadContext& ctx);
void WritePageRecord(ArchiveWriter& writer, const PageRecord& page, int32_t version);

}  // namespace qlm
