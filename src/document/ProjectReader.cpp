#include "document/ProjectReader.h"

#include <algorithm>
#include <cctype>
#include <new>

#include "document/ArchiveError.h"
#include "document/ArchiveReader.h"
#include "document/DocumentMessages.h"
#include "document/Inflate.h"
#include "document/LoadContext.h"
#include "document/PageManagerBlock.h"
#include "graphics/ImageCodec.h"
#include "platform/ReadableFile.h"

namespace qlm {

namespace {

constexpr std::string_view kMagicWord = "Quillmark";
// A secure layer holding a secure layer is legal; a chain this deep is a damaged (or
// hostile, self-reproducing) stream.
constexpr int kMaxSecureDepth = 4;

void Show(LoadContext& ctx, std::string_view text) {
  ctx.dialogs.Message(std::string(text));
}

void ReadBackdropImage(ArchiveReader& reader, LoadContext& ctx, ProjectSettings& s) {
  const uint32_t length = reader.ReadU32();
  if (length > kMaxImageBytes) {
    Show(ctx, msg::kCorrupted);
    reader.Skip(length);
    return;
  }
  if (length == 0) {
    const uint64_t size = PixelBytes(s.backdropWidth, s.backdropHeight);
    if (size > kMaxImageBytes) {
      Show(ctx, msg::kCorrupted);
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

void ReadSettingsA(ArchiveReader& reader, LoadContext& ctx, ProjectSettings& s) {
  const int32_t v = ctx.version;
  s.dragWindow = reader.ReadU32();
  s.backdropImageMode = reader.ReadU32();
  s.backdropEnabled = reader.ReadU32();
  s.backdropColour = reader.ReadU32();
  s.backdropWidth = reader.ReadU32();
  s.backdropHeight = reader.ReadU32();
  s.windowMode = reader.ReadU32();
  s.onDesktop = s.windowMode == 2;
  if (s.onDesktop)
    s.windowMode = 0;
  if (v >= 10)
    s.backdropExtra = reader.ReadU32();
  s.disableTaskSwitching = reader.ReadU32();
  s.hasBackdropImage = reader.ReadU32();
  s.backdropImage = {};
  if (s.backdropEnabled != 0) {
    s.onDesktop = false;
    if (s.hasBackdropImage != 0)
      ReadBackdropImage(reader, ctx, s);
  }
}

void SkipU32List(ArchiveReader& reader) {
  const uint32_t n = reader.ReadU32();
  reader.RequireCount(n, 4);
  reader.Skip(uint64_t(n) * 4);
}

void ReadSettingsB(ArchiveReader& reader, LoadContext& ctx, Project& project) {
  const int32_t v = ctx.version;
  ProjectSettings& s = project.settings;
  s.title = reader.ReadString();
  s.showTitleBar = reader.ReadU32();
  reader.ReadU32();
  reader.ReadU32();
  s.shapedWindow = reader.ReadU32();
  if (v >= 7)
    reader.ReadString();
  ReadPageManagerBlock(reader, ctx, project);
  reader.ReadU32();
  s.clientWidth = reader.ReadU32();
  s.clientHeight = reader.ReadU32();
  s.paletteDisplayAction = reader.ReadU32();
  s.paletteProjectPath = reader.ReadString();
  s.palettePageName = reader.ReadString();
  for (int i = 0; i < 3; ++i)
    reader.ReadString();
  reader.ReadU32();
  if (v >= 5) {
    s.windowMode = reader.ReadU32();
    s.rememberPosition = reader.ReadU32();
    s.profileSection = reader.ReadString();
    if (s.profileSection.empty())
      s.profileSection = "QLM";
  }
  if (v >= 6)
    reader.ReadU32();
  if (v >= 9)
    s.keepRect = reader.ReadU32();
  if (v >= 12) {
    reader.ReadU32();
    reader.ReadU32();
  }
  if (v >= 13) {
    s.changeResolution = reader.ReadU32();
    if (s.changeResolution > 1) {
      s.alwaysChange = true;
      s.changeResolution = 1;
    }
    s.resolutionIndex = reader.ReadU32();
    s.processPriority = reader.ReadU32();
  }
  if (v >= 14) {
    SkipU32List(reader);
    SkipU32List(reader);
  }
  if (v >= 17) {
    for (int i = 0; i < (v >= 29 ? 7 : 6); ++i)
      reader.ReadString();
  }
  if (v >= 18)
    s.allowMinimize = reader.ReadU32();
  if (v >= 19) {
    s.flashOption = reader.ReadU32();
    s.flashExtra = reader.ReadU32();
    reader.ReadU32();
  }
  if (v >= 20)
    reader.ReadU32();
  if (s.windowMode != 0 || s.showTitleBar != 0)
    s.keepRect = 0;
}

LoadStatus ReadArchive(ArchiveReader& reader, LoadContext& ctx, Project& project,
                       const std::string& name, int depth);

LoadStatus ReadSecureLayer(ArchiveReader& reader, LoadContext& ctx, Project& project,
                           const std::string& name, int depth) {
  const uint32_t unpacked = reader.ReadU32();
  if (unpacked == 0)
    return LoadStatus::NothingToLoad;
  const uint32_t packedSize = reader.ReadU32();
  std::vector<uint8_t> block;
  if (packedSize == 0) {
    block = reader.ReadBytes(unpacked);
  } else {
    std::vector<uint8_t> scratch;
    InflateResult inflated = InflateZlib(reader.ReadView(packedSize, scratch), unpacked);
    if (!inflated.ok || unpacked > INT32_MAX)
      Show(ctx, msg::kSecureLayerFailed);
    block = std::move(inflated.bytes);
  }
  if (depth + 1 >= kMaxSecureDepth)
    throw ArchiveDamaged("secure layers nested too deeply");
  // Pictures read from the layer point into it: it lives as long as they do.
  const SharedBytes layer = SharedBytes::Adopt(std::move(block));
  ArchiveReader inner(layer);
  inner.SetCodePage(ctx.codePage);
  return ReadArchive(inner, ctx, project, name, depth + 1);
}

LoadStatus ReadArchive(ArchiveReader& reader, LoadContext& ctx, Project& project,
                       const std::string& name, int depth) {
  project.settings.alwaysChange = false;
  std::string magic;
  try {
    magic = reader.ReadString();
  } catch (const ArchiveError&) {
    magic.clear();  // an unreadable first string is no magic string either
  }
  int32_t v = 0;
  if (!ParseMagic(magic, v)) {
    ctx.dialogs.Message(msg::Format(msg::kNotQmd, name));
    return LoadStatus::NotQmd;
  }
  ctx.version = v;
  project.version = v;
  if (v == 0) {
    Show(ctx, msg::kVersionZero);
    return LoadStatus::VersionZero;
  }
  if (v >= 13 && reader.ReadU32() != 0)
    return ReadSecureLayer(reader, ctx, project, name, depth);
  if (v >= 8)
    ReadSettingsA(reader, ctx, project.settings);
  ReadSettingsB(reader, ctx, project);
  return LoadStatus::Loaded;
}

LoadResult ReadNamed(ArchiveReader& reader, LoadContext& ctx, const ProjectSettings& previous,
                     const std::string& name) {
  LoadResult result;
  result.project.settings = previous;
  reader.SetCodePage(ctx.codePage);
  const int32_t savedVersion = ctx.version;
  try {
    result.status = ReadArchive(reader, ctx, result.project, name, 0);
  } catch (const LoadAbandoned& e) {
    ctx.dialogs.Message(e.what());
    result.status = LoadStatus::Abandoned;
  } catch (const ArchiveEndOfData&) {
    ctx.dialogs.Message(msg::Format(msg::kEndsEarly, name));
    result.status = LoadStatus::Abandoned;
  } catch (const ArchiveError&) {
    ctx.dialogs.Message(msg::Format(msg::kDamaged, name));
    result.status = LoadStatus::Abandoned;
  } catch (const std::bad_alloc&) {
    result.project = Project{};
    ctx.dialogs.Message(std::string(msg::kOutOfMemory));
    result.status = LoadStatus::Abandoned;
  }
  if (!result.Ok()) {
    ctx.version = savedVersion;
    result.project = Project{};
  }
  return result;
}

}  // namespace

bool ParseMagic(const std::string& magic, int32_t& version) {
  if (magic.find(kMagicWord) == std::string::npos)
    return false;
  std::string rest;
  for (size_t at = 0;;) {
    const size_t hit = magic.find(kMagicWord, at);
    rest.append(magic, at, hit == std::string::npos ? std::string::npos : hit - at);
    if (hit == std::string::npos)
      break;
    at = hit + kMagicWord.size();
  }
  size_t i = 0;
  while (i < rest.size() && std::isspace(static_cast<unsigned char>(rest[i])))
    ++i;
  bool negative = false;
  if (i < rest.size() && (rest[i] == '+' || rest[i] == '-'))
    negative = rest[i++] == '-';
  int64_t value = 0;
  for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
    value = std::min<int64_t>(value * 10 + (rest[i] - '0'), int64_t(INT32_MAX) + 1);
  }
  if (negative)
    value = -value;
  version = static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
  return true;
}

LoadResult ReadProject(ArchiveReader& reader, LoadContext& ctx,
                       const ProjectSettings& previousSettings) {
  return ReadNamed(reader, ctx, previousSettings, ctx.sourceName);
}

LoadResult LoadProjectFromMemory(std::span<const uint8_t> bytes, LoadContext& ctx,
                                 const ProjectSettings& previousSettings) {
  ArchiveReader reader(bytes);
  return ReadNamed(reader, ctx, previousSettings, ctx.sourceName);
}

LoadResult LoadProjectFromMemory(const SharedBytes& bytes, LoadContext& ctx,
                                 const ProjectSettings& previousSettings) {
  ArchiveReader reader(bytes);
  return ReadNamed(reader, ctx, previousSettings, ctx.sourceName);
}

LoadResult LoadProjectFile(ReadableFile* file, const std::string& name, LoadContext& ctx,
                           const ProjectSettings& previousSettings) {
  if (!file) {
    if (!ctx.quietOpen)
      ctx.dialogs.Message(std::string(msg::kCannotFind) + name);
    LoadResult result;
    result.status = LoadStatus::CannotOpen;
    return result;
  }
  const std::string& shown = ctx.sourceName.empty() ? name : ctx.sourceName;
  // Pictures kept packed point into the file: it is viewed whole (mapped by the host) so they
  // can. A file that cannot be viewed is read block by block, its pictures copied out.
  if (ctx.pictures) {
    if (const std::optional<SharedBytes> view = file->ViewWhole()) {
      ArchiveReader reader(*view);
      return ReadNamed(reader, ctx, previousSettings, shown);
    }
  }
  ArchiveReader reader(*file);
  return ReadNamed(reader, ctx, previousSettings, shown);
}

}  // namespace qlm
