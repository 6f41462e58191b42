#include "document/PageRecord.h"

#include "document/DeferredPage.h"
#include "document/DocumentMessages.h"
#include "document/RecordLayout.h"

namespace qlm {

namespace {
// No object record, whatever its version, is shorter than this.
constexpr uint64_t kMinObjectBytes = 100;

template <class Io>
void VisitPage(Io& io, Visited<Io, PageRecord>& p) {
  const int32_t v = io.Version();
  io.Text(p.name);
  io.U32(p.stateValue);
  io.Text(p.stateText);
  io.U32(p.pageValue1);
  int32_t index = static_cast<int32_t>(p.pageIndex + 1);  // stored 1-based
  io.I32(index);
  if constexpr (Io::kReading)
    p.pageIndex = index > 1 ? static_cast<uint32_t>(index - 1) : 0;
  io.U32(p.hasImage);
  io.U32(p.useFirstPageBackground);
  if (p.hasImage != 0)
    io.PageImage(p.image);
  io.U32(p.backgroundColour);
  io.U32(p.tileImage);
  io.U32(p.pageValue3);
  io.List(p.objects, kMinObjectBytes, [&](auto& o) { VisitLayout(io, o); });
  io.Text(p.pageText);
  io.UnusedText(2);
  io.U32(p.useMasterBackground);
  io.UnusedU32(2);
  io.U32(p.pageValue5);
  io.U32(p.transitionType);
  io.U32(p.transitionDuration);
  if (v >= 4)
    VisitLayout(io, p.enterScript);
  if (v >= 11) {
    io.U32(p.dataSize1);
    io.U32(p.dataSize2);
    io.Compressed(p.data, msg::kPageDataFailed);
    io.U32(p.pageValue8);
    io.U32(p.pageValue9);
    io.UnusedU32(5);
  }
  if (v >= 19)
    VisitLayout(io, p.exitScript);
}
}  // namespace

void VisitLayout(FieldReader& io, PageRecord& page) {
  VisitPage(io, page);
}
void VisitLayout(FieldWriter& io, const PageRecord& page) {
  if (page.deferred)
    WriteDeferredPage(io.Archive(), *page.deferred, io.Version());
  else
    VisitPage(io, page);
}

PageRecord ReadPageRecord(ArchiveReader& reader, LoadContext& ctx) {
  FieldReader io(reader, ctx);
  PageRecord p;
  VisitPage(io, p);
  return p;
}

void WritePageRecord(ArchiveWriter& writer, const PageRecord& p, int32_t version) {
  FieldWriter io(writer, version);
  VisitLayout(io, p);
}

}  // namespace qlm
