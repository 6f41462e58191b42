#include "document/ScriptBody.h"

#include "document/RecordLayout.h"

namespace qlm {

namespace {
constexpr uint64_t kMinStatementBytes = 4 + 4 * 1 + 4 + 4 + 8 + 4;

// i32 count (a negative count reads as no statements, as a counting loop would), the
// statements, then an i32 trailer.
template <class Io>
void VisitScript(Io& io, Visited<Io, ScriptBody>& body) {
  io.template List<int32_t>(body.statements, kMinStatementBytes, [&](auto& s) {
    io.I32(s.code);
    io.Text(s.arg1);
    io.Text(s.arg2);
    io.Text(s.arg3);
    io.Text(s.arg4);
    io.I32(s.reserved);
    io.I32(s.argCount);
    io.F64(s.number);
    io.UnusedU32(1, 0xFFFFFFFF);
  });
  io.UnusedU32(1, 0xFFFFFFFF);
}
}  // namespace

void VisitLayout(FieldReader& io, ScriptBody& body) {
  VisitScript(io, body);
}
void VisitLayout(FieldWriter& io, const ScriptBody& body) {
  VisitScript(io, body);
}

ScriptBody ReadScriptBody(ArchiveReader& reader, LoadContext& ctx) {
  FieldReader io(reader, ctx);
  ScriptBody body;
  VisitScript(io, body);
  return body;
}

void WriteScriptBody(ArchiveWriter& writer, const ScriptBody& body) {
  FieldWriter io(writer, LoadContext::kCurrentVersion);  // scripts have no version gates
  VisitScript(io, body);
}

}  // namespace qlm
