#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "document/Project.h"
#include "platform/SharedBytes.h"

namespace qlm {

class ArchiveReader;
class ReadableFile;
struct LoadContext;

enum class LoadStatus {
  Loaded,         // the project is complete; swap it in
  CannotOpen,     // the file could not be opened ("Cannot find the file")
  NotQmd,         // no magic word: the load-failed flag; the player takes its cancel path
  VersionZero,    // the player closes
  NothingToLoad,  // a secure layer of size 0: nothing read, nothing changes
  Abandoned,      // damaged or unreadable past some point; the message has been shown
};

// The outcome of a load. The project is complete only when status is Loaded; in every other
// case the caller keeps its current project (and the context keeps its format version).
struct LoadResult {
  LoadStatus status = LoadStatus::Abandoned;
  Project project;

  bool Ok() const { return status == LoadStatus::Loaded; }
  bool LoadFailedFlag() const { return status == LoadStatus::NotQmd; }
};

// Reads a project document from an open file; `name` names it in messages (unless
// ctx.sourceName does). A null file could not be opened: "Cannot find the file" and the name.
// The fresh project starts from previousSettings, so settings a lower version does not store
// keep their values. Messages go to ctx.dialogs.
LoadResult LoadProjectFile(ReadableFile* file, const std::string& name, LoadContext& ctx,
                           const ProjectSettings& previousSettings = {});
LoadResult LoadProjectFromMemory(std::span<const uint8_t> bytes, LoadContext& ctx,
                                 const ProjectSettings& previousSettings = {});
// The same over shared memory, which pictures kept packed point into.
LoadResult LoadProjectFromMemory(const SharedBytes& bytes, LoadContext& ctx,
                                 const ProjectSettings& previousSettings = {});
// The same over a reader positioned at the magic string (the stand-alone container uses it).
LoadResult ReadProject(ArchiveReader& reader, LoadContext& ctx,
                       const ProjectSettings& previousSettings = {});

// False when the magic word "Quillmark" is missing; otherwise every occurrence is removed and
// the rest read as a decimal integer the way atoi reads it ("Quillmark29" gives 29).
bool ParseMagic(const std::string& magic, int32_t& version);

}  // namespace qlm
