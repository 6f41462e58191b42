#include "document/PageManagerBlock.h"

#include "document/DocumentMessages.h"
#include "document/LoadContext.h"
#include "document/Project.h"
#include "document/RecordLayout.h"

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

// The page list, the window shape, master page and layer, the mask and the embedded sounds.
template <class Io>
void VisitBlock(Io& io, Visited<Io, Project>& project) {
  const int32_t v = io.Version();
  if constexpr (Io::kReading) {
    project.masterPage = PageRecord{};
    project.masterPage.name = "Master Page 000";
    project.masterLayer = PageRecord{};
    project.masterLayer.name = "Master Layer 000";
  }
  // The stored page count is the number of pages.
  io.List(project.pages, kMinPageBytes, [&](auto& page) { VisitLayout(io, page); });
  if constexpr (Io::kReading)
    project.storedPageCount = static_cast<uint32_t>(project.pages.size());
  io.List(project.shapePolygon, 8, [&](auto& p) { io.Point(p); });
  if (v >= 3) {
    VisitLayout(io, project.masterPage);
    VisitLayout(io, project.masterLayer);
  }
  io.UnusedText(3);

  io.U32(project.hasMask);
  if (project.hasMask != 0) {
    io.U32(project.maskWidth);
    io.U32(project.maskHeight);
    io.SizedBytes(project.mask);
  } else if constexpr (Io::kReading) {
    project.maskWidth = project.maskHeight = 0;
    project.mask.clear();
  }
  io.UnusedU32(5);

  if (v >= 7) {
    io.List(project.sounds, kMinSoundBytes, [&](auto& sound) {
      io.U32(sound.kind);
      if (v >= 11)
        io.Compressed(sound.data, msg::kSoundFailed);
      else
        io.SizedBytes(sound.data.bytes);
      io.Text(sound.name);
    });
  }
}

}  // namespace

void VisitPageManagerBlock(FieldReader& io, Project& project) {
  const ProfileFontScope profileFont(io.Context());
  VisitBlock(io, project);
}

void VisitPageManagerBlock(FieldWriter& io, const Project& project) {
  VisitBlock(io, project);
}

}  // namespace qlm
