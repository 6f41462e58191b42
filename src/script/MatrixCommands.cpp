// The commands of grid objects: setting and reading a cell of the cell matrix.
#include <optional>
#include <string>

#include "expr/ExpressionEvaluator.h"
#include "script/CommandHelpers.h"
#include "script/GridCells.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

// Cells hold one byte; larger values are refused rather than cut.
constexpr int32_t kLargestCellValue = 255;

// The grid is named as written (a bracket in its name is no index), and arg2 holds
// "column,row,value" or "column,row,variable" with column and row counted from 1. Column, row
// and value are expressions, so a click script can write MatrixSet("Board","MXCOL,MXROW,1").
// A cell outside the matrix, a missing piece or a value outside a byte changes nothing.
CommandResult AccessCell(CommandContext& context, CommandCode code) {
  ObjectRecord* grid = context.object;
  if (!grid || grid->typeCode != kObjGrid)
    return CommandResult::kContinue;
  const std::vector<std::string> pieces = SplitList(Expand(context, context.statement.arg2), 3);
  if (pieces.size() != 3 || Trim(pieces[2]).empty())
    return CommandResult::kContinue;
  GridCells* cells = context.Objects().GridCellsOf(*grid);
  if (!cells)
    return CommandResult::kContinue;
  const int64_t column = EvaluateInteger(context, pieces[0]);
  const int64_t row = EvaluateInteger(context, pieces[1]);
  const std::optional<uint8_t> old = cells->Get(*grid, column, row);
  if (!old)
    return CommandResult::kContinue;
  if (code == CommandCode::kMatrixGet) {
    ExpressionEvaluator& evaluator = context.host.Evaluator();
    evaluator.SetNumber(evaluator.NormalizeName(std::string(Trim(pieces[2]))), *old);
    return CommandResult::kContinue;
  }
  const int32_t value = EvaluateInteger(context, pieces[2]);
  if (value < 0 || value > kLargestCellValue || value == *old)
    return CommandResult::kContinue;
  cells->Set(*grid, column, row, static_cast<uint8_t>(value));
  // The images of a cell may differ in size: repaint what the old one covered and the new one
  // covers.
  for (const uint8_t drawn : {*old, static_cast<uint8_t>(value)}) {
    if (const IntRect area = GridCells::CellArea(*grid, column, row, drawn); !area.Empty())
      MarkRect(context.dirtyRect, area, 0);
  }
  return CommandResult::kContinue;
}

}  // namespace

void RegisterMatrixCommands(ScriptRunner& runner) {
  for (CommandCode code : {CommandCode::kMatrixSet, CommandCode::kMatrixGet}) {
    runner.SetHandler(code, [code](CommandContext& c) { return AccessCell(c, code); });
  }
}

}  // namespace qlm
