#include "document/ScriptBody.h"

#include "document/ArchiveReader.h"
#include "document/ArchiveWriter.h"

namespace qlm {

namespace {
constexpr uint64_t kMinStatementBytes = 4 + 4 * 1 + 4 + 4 + 8 + 4;
}

ScriptBody ReadScriptBody(ArchiveReader& reader) {
  ScriptBody body;
  // A negative count reads as no statements, as a counting loop would.
  const int32_t count = reader.ReadI32();
  if (count > 0)
    reader.RequireCount(static_cast<uint64_t>(count), kMinStatementBytes);
  for (int32_t i = 0; i < count; ++i) {
    ScriptStatement& s = body.statements.emplace_back();
    s.code = reader.ReadI32();
    s.arg1 = reader.ReadString();
    s.arg2 = reader.ReadString();
    s.arg3 = reader.ReadString();
    s.arg4 = reader.ReadString();
    s.reserved = reader.ReadI32();
    s.argCount = reader.ReadI32();
    s.number = reader.ReadF64();
    reader.ReadU32();
  }
  reader.ReadU32();
  return body;
}

void WriteScriptBody(ArchiveWriter& writer, const ScriptBody& body) {
  writer.WriteI32(static_cast<int32_t>(body.statements.size()));
  for (const ScriptStatement& s : body.statements) {
    writer.WriteI32(s.code);
    writer.WriteString(s.arg1);
    writer.WriteString(s.arg2);
    writer.WriteString(s.arg3);
    writer.WriteString(s.arg4);
    writer.WriteI32(s.reserved);
    writer.WriteI32(s.argCount);
    writer.WriteF64(s.number);
    writer.WriteI32(-1);
  }
  writer.WriteI32(-1);
}

}  // namespace qlm
