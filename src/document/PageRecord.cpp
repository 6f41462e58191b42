#include "document/PageRecord.h"

#include "document/ArchiveReader.h"
#include "document/ArchiveWriter.h"
#include "document/DocumentMessages.h"
#include "document/LoadContext.h"

namespace qlm {

namespace {
// No object record, whatever its version, is shorter than this.
constexpr uint64_t kMinObjectBytes = 100;
}  // namespace

PageRecord ReadPageRecord(ArchiveReader& reader, LoadContext& ctx) {
  const int32_t v = ctx.version;
  PageRecord p;
  p.name = reader.ReadString();
  p.stateValue = reader.ReadU32();
  p.stateText = reader.ReadString();
  p.pageValue1 = reader.ReadU32();
  const int32_t index = reader.ReadI32();
  p.pageIndex = index > 1 ? static_cast<uint32_t>(index - 1) : 0;
  p.hasImage = reader.ReadU32();
  p.useFirstPageBackground = reader.ReadU32();
  if (p.hasImage != 0)
    p.image = ReadPageImage(reader, ctx);
  p.backgroundColour = reader.ReadU32();
  p.tileImage = reader.ReadU32();
  p.pageValue3 = reader.ReadU32();

  const uint32_t count = reader.ReadU32();
  reader.RequireCount(count, kMinObjectBytes);
  for (uint32_t i = 0; i < count; ++i)
    p.objects.push_back(ReadObjectRecord(reader, ctx));

  p.pageText = reader.ReadString();
  reader.ReadString();
  reader.ReadString();
  p.useMasterBackground = reader.ReadU32();
  reader.ReadU32();
  reader.ReadU32();
  p.pageValue5 = reader.ReadU32();
  p.transitionType = reader.ReadU32();
  p.transitionDuration = reader.ReadU32();
  if (v >= 4)
    p.enterScript = ReadScriptBody(reader);
  if (v >= 11) {
    p.dataSize1 = reader.ReadU32();
    p.dataSize2 = reader.ReadU32();
    p.data = ReadCompressedBlock(reader, ctx, std::string(msg::kPageDataFailed));
    p.pageValue8 = reader.ReadU32();
    p.pageValue9 = reader.ReadU32();
    for (int i = 0; i < 5; ++i)
      reader.ReadU32();
  }
  if (v >= 19)
    p.exitScript = ReadScriptBody(reader);
  return p;
}

void WritePageRecord(ArchiveWriter& writer, const PageRecord& p, int32_t version) {
  const int32_t v = version;
  writer.WriteString(p.name);
  writer.WriteU32(p.stateValue);
  writer.WriteString(p.stateText);
  writer.WriteU32(p.pageValue1);
  writer.WriteU32(p.pageIndex + 1);
  writer.WriteU32(p.hasImage);
  writer.WriteU32(p.useFirstPageBackground);
  if (p.hasImage != 0)
    WritePageImage(writer, p.image);
  writer.WriteU32(p.backgroundColour);
  writer.WriteU32(p.tileImage);
  writer.WriteU32(p.pageValue3);
  writer.WriteU32(static_cast<uint32_t>(p.objects.size()));
  for (const ObjectRecord& o : p.objects)
    WriteObjectRecord(writer, o, v);
  writer.WriteString(p.pageText);
  writer.WriteString("");
  writer.WriteString("");
  writer.WriteU32(p.useMasterBackground);
  writer.WriteU32(0);
  writer.WriteU32(0);
  writer.WriteU32(p.pageValue5);
  writer.WriteU32(p.transitionType);
  writer.WriteU32(p.transitionDuration);
  if (v >= 4)
    WriteScriptBody(writer, p.enterScript);
  if (v >= 11) {
    writer.WriteU32(p.dataSize1);
    writer.WriteU32(p.dataSize2);
    WriteCompressedBlock(writer, p.data);
    writer.WriteU32(p.pageValue8);
    writer.WriteU32(p.pageValue9);
    for (int i = 0; i < 5; ++i)
      writer.WriteU32(0);
  }
  if (v >= 19)
    WriteScriptBody(writer, p.exitScript);
}

}  // namespace qlm
