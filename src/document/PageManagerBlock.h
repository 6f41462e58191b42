#pragma once

#include <cstdint>

namespace qlm {

class ArchiveReader;
class ArchiveWriter;
struct LoadContext;
struct Project;

// The page list, window shape, master page and layer, mask and embedded sounds. Reading
// replaces all of these in the project.
void ReadPageManagerBlock(ArchiveReader& reader, LoadContext& ctx, Project& project);
// Writes the pages; the stored page count is the number of pages.
void WritePageManagerBlock(ArchiveWriter& writer, const Project& project, int32_t version);

}  // namespace qlm
