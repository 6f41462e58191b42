#include "document/ProjectLayout.h"

#include <algorithm>
#include <stdexcept>

#include "document/DocumentMessages.h"
#include "document/PageManagerBlock.h"
#include "document/Project.h"
#include "document/RecordLayout.h"
#include "graphics/ImageCodec.h"

namespace qlm {

namespace {

// The backdrop image: u32 length, then a JPEG file of that length, or raw pixels of the stored
// backdrop size when the length is 0. An image too large to hold is skipped with a message.
void ReadBackdropImage(ArchiveReader& reader, LoadContext& ctx, ProjectSettings& s) {
  const uint32_t length = reader.ReadU32();
  if (length > kMaxImageBytes) {
    ctx.dialogs.Message(std::string(msg::kCorrupted));
    reader.Skip(length);
    return;
  }
  if (length == 0) {
    const uint64_t size = PixelBytes(s.backdropWidth, s.backdropHeight);
    if (size > kMaxImageBytes) {
      ctx.dialogs.Message(std::string(msg::kCorrupted));
      reader.Skip(size);
      return;
    }
    s.backdropImage.image = ReadRawImage(reader, s.backdropWidth, s.backdropHeight);
    return;
  }
  s.backdropImage.form = ImageForm::Encoded;
  s.backdropImage.encoded = reader.ReadBytes(length);
  if (auto decoded = DecodeJpeg(s.backdropImage.encoded)) {
    s.backdropImage.image = std::move(*decoded);
    s.backdropWidth = s.backdropImage.image.width;
    s.backdropHeight = s.backdropImage.image.height;
  }
}

void WriteBackdropImage(ArchiveWriter& w, const ProjectSettings& s) {
  const StoredImage& image = s.backdropImage;
  if (image.form == ImageForm::Encoded) {
    if (image.encoded.empty())
      throw std::invalid_argument("backdrop image has no JPEG file");
    w.WriteU32(static_cast<uint32_t>(image.encoded.size()));
    w.WriteBytes(image.encoded);
    return;
  }
  if (image.image.width != s.backdropWidth || image.image.height != s.backdropHeight)
    throw std::invalid_argument("backdrop image size differs from the stored size");
  w.WriteU32(0);
  WriteRawPixels(w, image.image);
}

template <class Io>
void VisitSettingsA(Io& io, Visited<Io, ProjectSettings>& s) {
  io.U32(s.dragWindow);
  io.U32(s.backdropImageMode);
  io.U32(s.backdropEnabled);
  io.U32(s.backdropColour);
  io.U32(s.backdropWidth);
  io.U32(s.backdropHeight);
  uint32_t windowMode = s.onDesktop ? 2 : s.windowMode;  // 2: on the desktop
  io.U32(windowMode);
  if constexpr (Io::kReading) {
    s.onDesktop = windowMode == 2;
    s.windowMode = s.onDesktop ? 0 : windowMode;
  }
  if (io.Version() >= 10)
    io.U32(s.backdropExtra);
  io.U32(s.disableTaskSwitching);
  io.U32(s.hasBackdropImage);
  if constexpr (Io::kReading)
    s.backdropImage = {};
  if (s.backdropEnabled == 0)
    return;
  if constexpr (Io::kReading)
    s.onDesktop = false;
  if (s.hasBackdropImage == 0)
    return;
  if constexpr (Io::kReading)
    ReadBackdropImage(io.Archive(), io.Context(), s);
  else
    WriteBackdropImage(io.Archive(), s);
}

template <class Io>
void VisitSettingsB(Io& io, Visited<Io, Project>& project) {
  const int32_t v = io.Version();
  auto& s = project.settings;
  io.Text(s.title);
  io.U32(s.showTitleBar);
  io.UnusedU32(2);
  io.U32(s.shapedWindow);
  if (v >= 7)
    io.UnusedText();
  VisitPageManagerBlock(io, project);
  io.UnusedU32();
  io.U32(s.clientWidth);
  io.U32(s.clientHeight);
  io.U32(s.paletteDisplayAction);
  io.Text(s.paletteProjectPath);
  io.Text(s.palettePageName);
  io.UnusedText(3);
  io.UnusedU32();
  if (v >= 5) {
    io.U32(s.windowMode);
    io.U32(s.rememberPosition);
    io.Text(s.profileSection);
    if constexpr (Io::kReading) {
      if (s.profileSection.empty())
        s.profileSection = "QLM";
    }
  }
  if (v >= 6)
    io.UnusedU32();
  if (v >= 9)
    io.U32(s.keepRect);
  if (v >= 12)
    io.UnusedU32(2);
  if (v >= 13) {
    // Above 1: change the resolution whenever the widths differ.
    uint32_t changeResolution = s.alwaysChange ? 2 : s.changeResolution;
    io.U32(changeResolution);
    if constexpr (Io::kReading) {
      if (changeResolution > 1)
        s.alwaysChange = true;
      s.changeResolution = std::min<uint32_t>(changeResolution, 1);
    }
    io.U32(s.resolutionIndex);
    io.U32(s.processPriority);
  }
  if (v >= 14) {
    io.UnusedU32List();
    io.UnusedU32List();
  }
  if (v >= 17)
    io.UnusedText(v >= 29 ? 7 : 6);
  if (v >= 18)
    io.U32(s.allowMinimize);
  if (v >= 19) {
    io.U32(s.flashOption);
    io.U32(s.flashExtra);
    io.UnusedU32();
  }
  if (v >= 20)
    io.UnusedU32();
  if constexpr (Io::kReading) {
    if (s.windowMode != 0 || s.showTitleBar != 0)
      s.keepRect = 0;
  }
}

template <class Io>
void VisitProject(Io& io, Visited<Io, Project>& project) {
  if (io.Version() >= 8)
    VisitSettingsA(io, project.settings);
  VisitSettingsB(io, project);
}

}  // namespace

void VisitLayout(FieldReader& io, Project& project) {
  VisitProject(io, project);
}
void VisitLayout(FieldWriter& io, const Project& project) {
  VisitProject(io, project);
}

}  // namespace qlm
