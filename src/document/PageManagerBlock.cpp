#include "document/PageManagerBlock.h"

#include "document/ArchiveReader.h"
#include "document/ArchiveWriter.h"
#include "document/DocumentMessages.h"
#include "document/LoadContext.h"
#include "document/Project.h"

namespace qlm {

namespace {
// Lower bounds of a stored record, for checking counts before reading.
constexpr uint64_t kMinPageBytes = 60;
constexpr uint64_t kMinSoundBytes = 9;

// Holds the profile's font for the pages read in its scope, and forgets it after: a later load
// reads the profile again, which a script may have changed meanwhile.
class ProfileFontScope {
 public:
  explicit ProfileFontScope(LoadContext& ctx) : ctx_(ctx) {
    ctx_.profileFont = ObjectRecord::ProfileFont(ctx_.profile);
  }
  ~ProfileFontScope() { ctx_.profileFont.reset(); }
  ProfileFontScope(const ProfileFontScope&) = delete;
  ProfileFontScope& operator=(const ProfileFontScope&) = delete;

 private:
  LoadContext& ctx_;
};
}  // namespace

void ReadPageManagerBlock(ArchiveReader& reader, LoadContext& ctx, Project& project) {
  const int32_t v = ctx.version;
  const ProfileFontScope profileFont(ctx);
  project.pages.clear();
  project.masterPage = PageRecord{};
  project.masterPage.name = "Master Page 000";
  project.masterLayer = PageRecord{};
  project.masterLayer.name = "Master Layer 000";

  project.storedPageCount = reader.ReadU32();
  reader.RequireCount(project.storedPageCount, kMinPageBytes);
  for (uint32_t i = 0; i < project.storedPageCount; ++i) {
    project.pages.push_back(ReadPageRecord(reader, ctx));
  }

  const uint32_t points = reader.ReadU32();
  reader.RequireCount(points, 8);
  project.shapePolygon.assign(points, IntPoint{});
  for (IntPoint& p : project.shapePolygon) {
    p.x = reader.ReadI32();
    p.y = reader.ReadI32();
  }

  if (v >= 3) {
    project.masterPage = ReadPageRecord(reader, ctx);
    project.masterLayer = ReadPageRecord(reader, ctx);
  }
  for (int i = 0; i < 3; ++i)
    reader.ReadString();

  project.hasMask = reader.ReadU32();
  if (project.hasMask != 0) {
    project.maskWidth = reader.ReadU32();
    project.maskHeight = reader.ReadU32();
    project.mask = reader.ReadBytes(reader.ReadU32());
  } else {
    project.maskWidth = project.maskHeight = 0;
    project.mask.clear();
  }
  for (int i = 0; i < 5; ++i)
    reader.ReadU32();

  if (v >= 7) {
    project.sounds.clear();
    const uint32_t count = reader.ReadU32();
    reader.RequireCount(count, kMinSoundBytes);
    for (uint32_t i = 0; i < count; ++i) {
      EmbeddedSound& s = project.sounds.emplace_back();
      s.kind = reader.ReadU32();
      if (v >= 11) {
        s.data = ReadCompressedBlock(reader, ctx, std::string(msg::kSoundFailed));
      } else {
        s.data.bytes = reader.ReadBytes(reader.ReadU32());
      }
      s.name = reader.ReadString();
    }
  }
}

void WritePageManagerBlock(ArchiveWriter& writer, const Project& project, int32_t version) {
  const int32_t v = version;
  writer.WriteU32(static_cast<uint32_t>(project.pages.size()));
  for (const PageRecord& p : project.pages)
    WritePageRecord(writer, p, v);
  writer.WriteU32(static_cast<uint32_t>(project.shapePolygon.size()));
  for (const IntPoint& p : project.shapePolygon) {
    writer.WriteI32(p.x);
    writer.WriteI32(p.y);
  }
  if (v >= 3) {
    WritePageRecord(writer, project.masterPage, v);
    WritePageRecord(writer, project.masterLayer, v);
  }
  for (int i = 0; i < 3; ++i)
    writer.WriteString("");
  writer.WriteU32(project.hasMask);
  if (project.hasMask != 0) {
    writer.WriteU32(project.maskWidth);
    writer.WriteU32(project.maskHeight);
    writer.WriteU32(static_cast<uint32_t>(project.mask.size()));
    writer.WriteBytes(project.mask);
  }
  for (int i = 0; i < 5; ++i)
    writer.WriteU32(0);
  if (v >= 7) {
    writer.WriteU32(static_cast<uint32_t>(project.sounds.size()));
    for (const EmbeddedSound& s : project.sounds) {
      writer.WriteU32(s.kind);
      if (v >= 11) {
        WriteCompressedBlock(writer, s.data);
      } else {
        writer.WriteU32(static_cast<uint32_t>(s.data.bytes.size()));
        writer.WriteBytes(s.data.bytes);
      }
      writer.WriteString(s.name);
    }
  }
}

}  // namespace qlm
