#include "document/ProjectWriter.h"

#include <stdexcept>
#include <string>

#include "document/ArchiveWriter.h"
#include "document/CompressedBlock.h"
#include "document/ProjectLayout.h"
#include "document/RecordLayout.h"

namespace qlm {

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
  FieldWriter io(w, version);
  VisitLayout(io, project);
  return w.Take();
}

}  // namespace qlm
