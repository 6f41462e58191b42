#include "tools/ScriptCheck.h"

#include <fstream>
#include <iterator>

#include "document/ScriptBody.h"
#include "platform/Dialogs.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptCompiler.h"

namespace qlm {

namespace {

// Message boxes become text: each box's text, then an empty line.
class PrintingDialogs : public Dialogs {
 public:
  explicit PrintingDialogs(std::ostream& out) : out_(out) {}
  int MessageBox(const std::string& text, const std::string&, uint32_t) override {
    out_ << text << "\n\n";
    ++count_;
    return idb::kOk;
  }
  int Count() const { return count_; }

 private:
  std::ostream& out_;
  int count_ = 0;
};

}  // namespace

int RunScriptCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 2 || (args[1].size() > 1 && args[1][0] == '-')) {
    err << "Usage: qmdtool check FILE\n";
    return 2;
  }
  const std::string& path = args[1];
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    err << "qmdtool: cannot open " << path << "\n";
    return 1;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    err << "qmdtool: cannot read " << path << "\n";
    return 1;
  }
  PrintingDialogs dialogs(out);
  EvaluatorSyntaxChecker checker;
  ScriptCompiler compiler(checker, dialogs);
  ScriptBody body;
  const bool ok = compiler.CompileScript(body, text, true);
  out << path << ": " << body.statements.size() << " statements, " << dialogs.Count()
      << (dialogs.Count() == 1 ? " message" : " messages") << ", "
      << (ok ? "compiles" : "does not compile") << "\n";
  return ok ? 0 : 1;
}

}  // namespace qlm
