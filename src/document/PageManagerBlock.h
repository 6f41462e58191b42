#pragma once

namespace qlm {

class FieldReader;
class FieldWriter;
struct Project;

// The page list, window shape, master page and layer, mask and embedded sounds (see
// RecordLayout.h). Reading replaces all of these in the project; the stored page count written
// is the number of pages.
void VisitPageManagerBlock(FieldReader& io, Project& project);
void VisitPageManagerBlock(FieldWriter& io, const Project& project);

}  // namespace qlm
