#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qlm {

class VariableRecord;

// One line of expression text turned into straight-line code for a stack machine: the
// evaluator runs it with the same results, errors and side effects as reading the text. Ops are
// emitted in the order the text is read, and there are no jumps, so the program of a text
// whose reading takes another turn at run time (a text that grows too long stops its
// concatenation early) shares every op before that point with this one.
struct CompiledExpression {
  enum class Code : uint8_t {
    kConst,         // push numbers[a]
    kLoad,          // push the number of binding a (0 when missing)
    kLoadChecked,   // kLoad followed by kOverflowCheck located at strings[b]
    kLoadIndexed,   // pop index; push the number of strings[a] + "[i]"
    kStore,         // binding a := top
    kStoreIndexed,  // pop value, pop index; strings[a] + "[i]" := value; push value
    kPopNumber,     // drop the top number
    kOr,
    kAnd,
    kLess,
    kGreater,
    kLessEqual,
    kGreaterEqual,
    kEqual,
    kNotEqual,
    kKeepLeft,
    kAdd,
    kSub,
    kMul,
    kDiv,
    kPower,
    kOverflowCheck,       // clamp the top above the limit or NaN; error located at strings[a]
    kError,               // raise errors[a]
    kText,                // push strings[a] with the path macros expanded
    kTextLiteral,         // push strings[a] as it is
    kTextLoad,            // push the text of binding a ("" when missing)
    kTextLoadIndexed,     // pop index; push the text of strings[a] + "[i]"
    kSystemVariable,      // push the system variable strings[a]
    kPathMacro,           // push strings[a] with the path macros expanded
    kListItem,            // push the play-list item numbered by binding a, else numbers[b]
    kConcatStart,         // push ""
    kConcatAppend,        // pop a text and append it to the top; strings[a] locates "too long";
                          // b: the text position of the "+" after it, 0 when none follows
    kTextAssign,          // pop text; binding a := text; push 1
    kTextAssignIndexed,   // pop text, pop index; strings[a] + "[i]" := text; push 1
    kTextCompare,         // pop text; compare with binding a by b; push 0 or 1
    kTextCompareIndexed,  // pop text, pop index; compare with strings[a] + "[i]" by b
    kCallNumeric,         // call calls[a]; push its number
    kCallText,            // call calls[a]; push its text
  };
  // How kTextCompare compares the variable with the text.
  enum Test : uint32_t { kSame = 0, kAfter = 1, kBefore = 2, kDiffers = 3 };

  struct Op {
    Code code;
    uint32_t a = 0;
    uint32_t b = 0;
  };
  // A variable reached by a name without index. The store only appends, so once a record of
  // that name exists it stays the first one for ever; until then the name is looked up anew.
  struct Binding {
    std::string name;
    mutable VariableRecord* record = nullptr;
  };
  struct Error {
    int code = 0;
    std::string detail;
    std::string location;
  };
  // A built-in function with its arguments read: raw arguments as cut, or one value (a number
  // or a text) the ops before the call left on the stack.
  enum class ArgumentForm : uint8_t { kNumber, kText, kRaw };
  struct Call {
    int function = 0;
    ArgumentForm form = ArgumentForm::kRaw;
    bool rawOk = false;
    std::vector<std::string> raw;
    std::string location;  // where errors of the function's own body are shown
  };

  std::string text;  // as given, before trimming
  int mode = 0;
  std::vector<size_t> earlyStops;  // positions of the "+" where a concatenation stops early
  std::vector<Op> ops;
  std::vector<double> numbers;
  std::vector<std::string> strings;
  std::vector<Binding> bindings;
  std::vector<Error> errors;
  std::vector<Call> calls;
  size_t maxNumbers = 0;  // deepest stacks while running
  size_t maxTexts = 0;

  // Programs of the same text stopping early at one more "+", made when first needed.
  struct Alternate {
    size_t stop;
    std::shared_ptr<const CompiledExpression> program;
  };
  mutable std::vector<Alternate> alternates;
};

}  // namespace qlm
