#include "document/ProjectWriter.h"

#include <stdexcept>
#include <string>

#include "document/ArchiveWriter.h"
#include "document/CompressedBlock.h"
#include "document/PageManagerBlock.h"

namespace qlm {

namespace {

void WriteSettingsA(ArchiveWriter& w, const ProjectSettings& s, int32_t v) {
  w.WriteU32(s.dragWindow);
  w.WriteU32(s.backdropImageMode);
  w.WriteU32(s.backdropEnabled);
  w.WriteU32(s.backdropColour);
  w.WriteU32(s.backdropWidth);
  w.WriteU32(s.backdropHeight);
  w.WriteU32(s.onDesktop ? 2 : s.windowMode);
  if (v >= 10)
    w.WriteU32(s.backdropExtra);
  w.WriteU32(s.disableTaskSwitching);
  w.WriteU32(s.hasBackdropImage);
  if (s.backdropEnabled == 0 || s.hasBackdropImage == 0)
    return;
  const StoredImage& image = s.backdropImage;
  if (image.form == ImageForm::Encoded) {
    if (image.encoded.empty())
      throw std::invalid_argument("backdrop image has no JPEG file");
    w.WriteU32(static_cast<uint32_t>(image.encoded.size()));
    w.WriteBytes(image.encoded);
  } else {
    if (image.image.width != s.backdropWidth || image.image.height != s.backdropHeight) {
      throw std::invalid_argument("backdrop image size differs from the stored size");
    }
    w.WriteU32(0);
    WriteRawPixels(w, image.image);
  }
}

void WriteSettingsB(ArchiveWriter& w, const Project& project, int32_t v) {
  const ProjectSettings& s = project.settings;
  w.WriteString(s.title);
  w.WriteU32(s.showTitleBar);
  w.WriteU32(0);
  w.WriteU32(0);
  w.WriteU32(s.shapedWindow);
  if (v >= 7)
    w.WriteString("");
  WritePageManagerBlock(w, project, v);
  w.WriteU32(0);
  w.WriteU32(s.clientWidth);
  w.WriteU32(s.clientHeight);
  w.WriteU32(s.paletteDisplayAction);
  w.WriteString(s.paletteProjectPath);
  w.WriteString(s.palettePageName);
  for (int i = 0; i < 3; ++i)
    w.WriteString("");
  w.WriteU32(0);
  if (v >= 5) {
    w.WriteU32(s.windowMode);
    w.WriteU32(s.rememberPosition);
    w.WriteString(s.profileSection);
  }
  if (v >= 6)
    w.WriteU32(0);
  if (v >= 9)
    w.WriteU32(s.keepRect);
  if (v >= 12) {
    w.WriteU32(0);
    w.WriteU32(0);
  }
  if (v >= 13) {
    w.WriteU32(s.alwaysChange ? 2 : s.changeResolution);
    w.WriteU32(s.resolutionIndex);
    w.WriteU32(s.processPriority);
  }
  if (v >= 14) {
    w.WriteU32(0);
    w.WriteU32(0);
  }
  if (v >= 17) {
    for (int i = 0; i < (v >= 29 ? 7 : 6); ++i)
      w.WriteString("");
  }
  if (v >= 18)
    w.WriteU32(s.allowMinimize);
  if (v >= 19) {
    w.WriteU32(s.flashOption);
    w.WriteU32(s.flashExtra);
    w.WriteU32(0);
  }
  if (v >= 20)
    w.WriteU32(0);
}

}  // namespace

std::vector<uint8_t> WriteProject(const Project& project, int32_t version, SecureLayer secure) {
  if (version < 2 || version > 29)
    throw std::invalid_argument("format version must be 2 to 29");
  if (secure != SecureLayer::None && version < 13) {
    throw std::invalid_argument("the secure layer needs format version 13 or later");
  }
  ArchiveWriter w;
  w.WriteString("Quillmark" + std::to_string(version));
  if (version >= 13) {
    w.WriteU32(secure == SecureLayer::None ? 0 : 1);
    if (secure != SecureLayer::None) {
      const std::vector<uint8_t> inner = WriteProject(project, version, SecureLayer::None);
      WriteCompressedBlock(w, inner, secure == SecureLayer::Packed);
      return w.Take();
    }
  }
  if (version >= 8)
    WriteSettingsA(w, project.settings, version);
  WriteSettingsB(w, project, version);
  return w.Take();
}

}  // namespace qlm
