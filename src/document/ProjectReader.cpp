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
#include "document/ProjectLayout.h"
#include "document/RecordLayout.h"
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
  FieldReader io(reader, ctx);
  VisitLayout(io, project);
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
  // can. The records of a mapped file are still read in blocks, so the pictures and pages that
  // are only stepped over bring none of its pages into memory. A file that cannot be viewed is
  // read block by block, its pictures copied out.
  if (ctx.pictures) {
    if (const std::optional<SharedBytes> view = file->ViewWhole()) {
      if (view->Mapped()) {
        ArchiveReader reader(*file, *view);
        return ReadNamed(reader, ctx, previousSettings, shown);
      }
      ArchiveReader reader(*view);
      return ReadNamed(reader, ctx, previousSettings, shown);
    }
  }
  ArchiveReader reader(*file);
  return ReadNamed(reader, ctx, previousSettings, shown);
}

}  // namespace qlm
