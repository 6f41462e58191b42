#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qlm {

class ArchiveReader;
class ArchiveWriter;
class FieldReader;
class FieldWriter;
struct LoadContext;

// Statement kinds share the code space of the command codes; no command uses 99..107 or 200.
enum StatementKind : int32_t {
  KindAssign = 99,
  KindIf = 100,
  KindEnd = 101,
  KindFor = 102,
  KindNext = 103,
  KindElse = 104,
  KindCommentBegin = 105,
  KindCommentLine = 106,
  KindCommentEnd = 107,
  KindMarked = 200,
};

// One parsed script line.
struct ScriptStatement {
  int32_t code = 0;
  bool inComment = false;  // transient: a block comment is open while parsing; not stored
  std::string arg1;        // first command argument (object name)
  std::string arg2;        // second argument, condition, For init, Next variable, or whole line
  std::string arg3;        // For limit
  std::string arg4;        // reserved, carried from the file
  int32_t reserved = 0;
  int32_t argCount = 0;   // quoted arguments the command takes (0, 1 or 2)
  double number = 0.0;    // reserved, carried from the file
  std::string errorText;  // transient: text of the last parse failure; not stored

  bool operator==(const ScriptStatement&) const = default;
};

// An ordered list of parsed lines: the stored and run-time form of every script.
struct ScriptBody {
  std::vector<ScriptStatement> statements;
  int32_t ifBalance = 0;  // working counter of the compiler
  std::string ownerName;  // page or object the script belongs to, set before a run

  bool Empty() const { return statements.empty(); }
  void Clear() { statements.clear(); }
  bool operator==(const ScriptBody&) const = default;
};

// The stored form: i32 count, each statement (i32 code, four strings, i32 reserved, i32 argCount,
// f64 number, i32 skipped), then an i32 trailer (-1 when written). Codes are taken unchecked.
void VisitLayout(FieldReader& io, ScriptBody& body);
void VisitLayout(FieldWriter& io, const ScriptBody& body);
ScriptBody ReadScriptBody(ArchiveReader& reader, LoadContext& ctx);
void WriteScriptBody(ArchiveWriter& writer, const ScriptBody& body);

}  // namespace qlm
