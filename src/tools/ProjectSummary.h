#pragma once

#include <ostream>
#include <string>

#include "document/Project.h"
#include "tools/ToolInput.h"

namespace qlm {

class CodePage;

// The readable summary of `qmdtool info`: container, version, title, client size, window
// settings, pages with their object counts by kind, and the embedded files. UTF-8 output.
void WriteProjectSummary(std::ostream& out, const std::string& path, const ToolInput& input,
                         const Project& project, const CodePage& codePage);

}  // namespace qlm
