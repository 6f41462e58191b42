#pragma once

#include <cstdint>
#include <string>

#include "document/Project.h"

namespace qlm {

// The reader adjusts some fields of older documents (line rectangles, video and button fields,
// the 8-bit video mask). This gives the project as a document of `version` must store it so
// that reading it back produces `project` again: the adjustments undone where the stored
// values can be recovered. Fields a version cannot hold stay lost, as in the original tool.
Project UndoReadConversions(const Project& project, int32_t version);

// Where two projects first differ, for a message ("page 2 \"Intro\", object 3 \"Logo\""), or
// an empty text when they are the same.
std::string FirstDifference(const Project& a, const Project& b);

}  // namespace qlm
