#include "document/PageManagerBlock.h"

#include "document/DeferredPage.h"
#include "document/DocumentMessages.h"
#include "document/LoadContext.h"
#include "document/Project.h"
#include "document/RecordLayout.h"
#include "document/SilentDialogs.h"

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

// Reads the pages of the list: the first one whole; with deferred pages, each later one only
// skimmed (which finds everything that abandons a load) and kept as its stored bytes.
class ListPageReader {
 public:
  explicit ListPageReader(FieldReader& io) : io_(io), skimContext_(silent_) {
    const LoadContext& ctx = io.Context();
    defer_ = ctx.deferPages && ctx.pictures && io.Archive().KeepsBytes();
    if (!defer_)
      return;
    // Messages of the skim would come again when the page is read: they are shown then.
    skimContext_.version = ctx.version;
    skimContext_.codePage = ctx.codePage;
    skimContext_.profileFont = ctx.profileFont;
    skimContext_.pictures = std::make_shared<PictureStore>();
  }

  void operator()(PageRecord& page) {
    if (!defer_ || read_++ == 0) {
      VisitLayout(io_, page);
      return;
    }
    ArchiveReader& archive = io_.Archive();
    const uint64_t start = archive.Position();
    FieldReader skim(archive, skimContext_, ReadDepth::kSkim);
    VisitLayout(skim, page);
    auto deferred = std::make_shared<DeferredPage>();
    deferred->record = archive.SharedSince(start);
    deferred->version = io_.Context().version;
    deferred->codePage = io_.Context().codePage;
    deferred->profileFont = io_.Context().profileFont.value_or(ObjectRecord::ProfileFont(nullptr));
    deferred->pictures = io_.Context().pictures;
    ArchiveReader name(deferred->record);
    name.SetCodePage(deferred->codePage);
    page = PageRecord{};
    page.name = name.ReadString();
    page.deferred = std::move(deferred);
  }

 private:
  FieldReader& io_;
  SilentDialogs silent_;
  LoadContext skimContext_;
  bool defer_ = false;
  size_t read_ = 0;
};

// The page list, the window shape, master page and layer, the mask and the embedded sounds.
// `visitPage` visits one page of the list.
template <class Io, class VisitPage>
void VisitBlock(Io& io, Visited<Io, Project>& project, VisitPage&& visitPage) {
  const int32_t v = io.Version();
  if constexpr (Io::kReading) {
    project.masterPage = PageRecord{};
    project.masterPage.name = "Master Page 000";
    project.masterLayer = PageRecord{};
    project.masterLayer.name = "Master Layer 000";
  }
  // The stored page count is the number of pages.
  io.List(project.pages, kMinPageBytes, visitPage);
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
  ListPageReader readPage(io);
  VisitBlock(io, project, readPage);
}

void VisitPageManagerBlock(FieldWriter& io, const Project& project) {
  VisitBlock(io, project, [&](const PageRecord& page) { VisitLayout(io, page); });
}

}  // namespace qlm
