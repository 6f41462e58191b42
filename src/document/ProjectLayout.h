#pragma once

namespace qlm {

class FieldReader;
class FieldWriter;
struct Project;

// What follows a project's header: settings part A (version 8 on), then part B with the page
// manager block inside it (see RecordLayout.h). Reading starts from the settings already in the
// project, so those a version does not store keep their values.
void VisitLayout(FieldReader& io, Project& project);
void VisitLayout(FieldWriter& io, const Project& project);

}  // namespace qlm
