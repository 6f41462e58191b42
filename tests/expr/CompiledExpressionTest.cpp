// Compiled programs against reading the text: the same texts go through an evaluator that
// compiles and one that reads every time, and everything either can show must agree: values,
// error codes, messages and locations, the variable store (names, order, numbers, texts), the
// random generator, message boxes and the files the file functions write.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "ExprFakes.h"
#include "expr/BuiltinFunctions.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/PathMacros.h"
#include "expr/TextLimit.h"
#include "platform/SystemFolders.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

// Every file name lands flat in one folder, so the two evaluators write apart.
class SandboxFileSystem : public DiskFileSystem {
 public:
  explicit SandboxFileSystem(fs::path root) : root_(std::move(root)) {}
  fs::path ToHost(const std::string& windowsPath) const override {
    std::string name;
    for (char c : windowsPath.substr(0, 40)) {
      const unsigned char u = static_cast<unsigned char>(c);
      name += (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '.' ? c : '_';
    }
    return root_ / ("f" + name);
  }
  std::string ToWindows(const fs::path& hostPath) const override {
    return hostPath.filename().string();
  }

 private:
  fs::path root_;
};

// One evaluator with its window, macros and files.
struct Side {
  explicit Side(bool compiled) : files(temp.Path()), macros(folders, "C:\\Show\\run.exe") {
    owner.playList = {"a.mp3", "b.mp3", "c.mp3"};
    ObjectInfo picture;
    picture.left = 10;
    picture.right = 110;
    picture.bottom = 70;
    picture.kind = 3;
    picture.hasImage = true;
    picture.imageCellWidth = 40;
    owner.objects["Pic"] = picture;
    owner.objects["Box"] = ObjectInfo{};
    owner.runningObject = "Box";
    owner.mouseX = 12;
    owner.mouseY = 34;
    ev.UseCompiledPrograms(compiled);
    ev.SetOwner(&owner);
    ev.SetPathMacros(&macros);
    ev.SetFileSystem(&files);
    ev.SetNumber("i", 2);
    ev.SetNumber("three", 3);
    ev.SetText("a$", "a,b,c,");
    ev.SetText("s$", "abc");
    ev.SetText("CBK_PageName", "Intro");
    ev.SetText("t$[2]", "two");
    ev.SetNumber("v[3]", 7);
  }

  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> out;
    for (const auto& entry : fs::directory_iterator(temp.Path())) {
      std::ifstream in(entry.path(), std::ios::binary);
      out[entry.path().filename().string()] =
          std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return out;
  }

  test::TempFolder temp;
  SandboxFileSystem files;
  SystemFolders folders{"C:\\WINDOWS\\", "C:\\WINDOWS\\SYSTEM\\", "C:\\TEMP\\",
                        "C:\\TEMP\\QLMPlayer\\", "D:\\"};
  PathMacros macros;
  test::FakeOwner owner;
  ExpressionEvaluator ev;
};

bool SameNumber(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

std::string Shown(const std::string& text) {
  return text.size() > 200 ? text.substr(0, 200) + "..." : text;
}

// Runs each text in turn through both sides and compares after every step. `repeat` runs
// every text a second time, so that cached programs and bound variables are used too.
void ExpectSameRuns(const std::vector<std::pair<std::string, int>>& texts, bool repeat = true) {
  Side compiled(true), parsed(false);
  for (int round = 0; round < (repeat ? 2 : 1); ++round) {
    for (const auto& [text, mode] : texts) {
      auto run = [&](ExpressionEvaluator& ev) {
        return mode == 0 ? ev.ExecuteStatement(text) : ev.EvaluateCondition(text);
      };
      const double a = run(compiled.ev);
      const double b = run(parsed.ev);
      const std::string where = "mode " + std::to_string(mode) + ": " + Shown(text);
      ASSERT_TRUE(SameNumber(a, b)) << where << " -> " << a << " vs " << b;
      ASSERT_EQ(compiled.ev.HasError(), parsed.ev.HasError()) << where;
      ASSERT_EQ(compiled.ev.ErrorCode(), parsed.ev.ErrorCode()) << where;
      ASSERT_EQ(compiled.ev.ErrorMessage(), parsed.ev.ErrorMessage()) << where;
      ASSERT_EQ(compiled.ev.ErrorLocation(), parsed.ev.ErrorLocation()) << where;
      const VariableStore& x = compiled.ev.Variables();
      const VariableStore& y = parsed.ev.Variables();
      ASSERT_EQ(x.Size(), y.Size()) << where;
      for (size_t i = 0; i < x.Size(); ++i) {
        ASSERT_EQ(x.At(i).name, y.At(i).name) << where;
        ASSERT_TRUE(SameNumber(x.At(i).number, y.At(i).number)) << where << " " << x.At(i).name;
        ASSERT_EQ(x.At(i).text, y.At(i).text) << where << " " << x.At(i).name;
      }
      ASSERT_EQ(compiled.owner.dialogs.Texts(), parsed.owner.dialogs.Texts()) << where;
    }
  }
  EXPECT_EQ(compiled.ev.Random().Next(), parsed.ev.Random().Next());
  EXPECT_EQ(compiled.Files(), parsed.Files());
  EXPECT_EQ(parsed.ev.Counts().compiledRuns, 0u);
}

// Every string literal of the given test sources: the expression tables of the test suite
// and everything around them, which makes good odd input too.
std::vector<std::string> LiteralsOf(const fs::path& folder) {
  std::vector<std::string> out;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h")
      continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string source((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    for (size_t i = 0; i < source.size(); ++i) {
      const char c = source[i];
      if (c == '/' && i + 1 < source.size() && source[i + 1] == '/') {
        i = source.find('\n', i);
        if (i == std::string::npos)
          break;
      } else if (c == '\'') {
        // A character literal.
        i += source[i + 1] == '\\' ? 3 : 2;
      } else if (c == 'R' && source.compare(i, 3, "R\"(") == 0) {
        const size_t end = source.find(")\"", i + 3);
        out.push_back(source.substr(i + 3, end - i - 3));
        i = end + 1;
      } else if (c == '"') {
        std::string literal;
        for (++i; i < source.size() && source[i] != '"'; ++i) {
          if (source[i] != '\\') {
            literal += source[i];
            continue;
          }
          const char e = source[++i];
          literal += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e == '0' ? '\0' : e;
        }
        out.push_back(literal);
      }
    }
  }
  return out;
}

TEST(CompiledExpression, EveryLiteralOfTheExpressionAndScriptTestsAgrees) {
  std::vector<std::string> literals = LiteralsOf(fs::path(QLM_SOURCE_DIR) / "tests" / "expr");
  const std::vector<std::string> script = LiteralsOf(fs::path(QLM_SOURCE_DIR) / "tests" / "script");
  literals.insert(literals.end(), script.begin(), script.end());
  ASSERT_GT(literals.size(), 500u);
  // Script lines hold statements after a command word or inside If ( ... ) Then: their lines
  // and pieces go in as they are.
  std::vector<std::pair<std::string, int>> texts;
  for (const std::string& literal : literals) {
    size_t start = 0;
    for (;;) {
      const size_t end = literal.find_first_of("\r\n", start);
      const std::string line = literal.substr(start, end - start);
      texts.push_back({line, 0});
      texts.push_back({line, 1});
      if (end == std::string::npos)
        break;
      start = end + 1;
    }
  }
  // Every one of them compiles: reading the text afresh is left for texts over the length limit.
  ExpressionEvaluator ev;
  for (const auto& [text, mode] : texts) {
    if (text.size() <= ExpressionEvaluator::kMaxCompiledText) {
      EXPECT_NE(ev.Compile(text, static_cast<ExpressionEvaluator::Mode>(mode)), nullptr) << text;
    }
  }
  EXPECT_EQ(ev.Counts().refused, 0u);
  // In slices, so that a failure names a text near its cause and the store stays small.
  for (size_t first = 0; first < texts.size(); first += 200) {
    const size_t last = std::min(texts.size(), first + 200);
    ExpectSameRuns({texts.begin() + static_cast<std::ptrdiff_t>(first),
                    texts.begin() + static_cast<std::ptrdiff_t>(last)});
    if (testing::Test::HasFatalFailure())
      return;
  }
}

// Random texts from the grammar, with the odd byte dropped or thrown in.
class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  std::string Statement() {
    std::string text;
    switch (Pick(6)) {
      case 0:
        text = Name() + "=" + Expression(0);
        break;
      case 1:
        text = TextName() + "=" + Text(0);
        break;
      case 2:
        text = Name() + "[" + Expression(1) + "]=" + Expression(0);
        break;
      default:
        text = Expression(0);
        break;
    }
    return Mutate(text);
  }
  std::string Condition() {
    std::string text =
        Pick(3) == 0 ? TextName() + Of({"=", ">", "<", "<>", "><", "<<"}) + Text(0) : Expression(0);
    return Mutate(text);
  }

 private:
  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
  std::string Of(std::initializer_list<const char*> items) {
    return *(items.begin() + static_cast<std::ptrdiff_t>(Pick(items.size())));
  }
  std::string Name() { return Of({"x", "y", "i", "three", "v", "TRUE", "FALSE", "n1", "th ree"}); }
  std::string TextName() { return Of({"a$", "s$", "t$[i]", "u$", "t$[2]", "v$[x]"}); }
  std::string NumberText() {
    return Of({"0", "1", "2", "3.5", "1e3", "1d2", "2.5E-1", "1e400", "0.1", "0.2", "0.3", "1 2",
               "1e", "7."});
  }
  std::string Expression(int depth) {
    if (depth > 4)
      return Pick(2) ? NumberText() : Name();
    switch (Pick(12)) {
      case 0:
      case 1:
        return NumberText();
      case 2:
      case 3:
        return Name();
      case 4:
        return "(" + Expression(depth + 1) + ")";
      case 5:
        return Name() + "[" + Expression(depth + 1) + "]";
      case 6:
        return "-" + Expression(depth + 1);
      case 7:
        return Function(depth);
      case 8:
        return "(" + Name() + "=" + Expression(depth + 1) + ")";
      case 9:
        return TextName() + "=" + Text(depth + 1);
      default:
        return Expression(depth + 1) +
               Of({"+",  "-",  "*",  "/",  "^",  "&",  "|",  "<",  ">",   "=", "==",
                   "<=", "=<", ">=", "=>", "<>", "><", "<<", ">>", " + ", "^-"}) +
               Expression(depth + 1);
    }
  }
  std::string Function(int depth) {
    switch (Pick(8)) {
      case 0:
        return Of({"rnd", "int", "abs", "RND", "Int"}) + "(" + Expression(depth + 1) + ")";
      case 1:
        return "val(" + Text(depth + 1) + ")";
      case 2:
        return Of({"len", "ord", "nol", "objectx", "isvisible", "imagewidth", "getimageopacity"}) +
               "(" + Of({"s$", "'Pic'", "Pic", "a$", "'x", ""}) + ")";
      case 3:
        return Of({"pos", "getarraynum", "getvideoparam"}) + "(" + Of({"'b'", "s$", "a$"}) + "," +
               Of({"a$", "','", "0x2C", "s$", ""}) + ")";
      case 4:
        return Of({"mousex", "mousey", "pubwidth", "usingwinnt", "mouselbutton"}) +
               Of({"()", "(", "(1)", ""});
      case 5:
        return "strtofile(" + Of({"'out.txt'", "s$", "''"}) + "," + Of({"s$", "'line'"}) + "," +
               Of({"0", "1", "true"}) + "," + Of({"0", "1"}) + ")";
      case 6:
        return "strtoline(" + Of({"'out.txt'", "'o2.txt'"}) + "," + Of({"s$", "'x'"}) + "," +
               Of({"1", "2", "i"}) + "," + Of({"0", "1"}) + ")";
      default:
        return "unknown(" + Expression(depth + 1) + ")";
    }
  }
  std::string Text(int depth) {
    std::string text = TextOperand(depth);
    while (Pick(3) == 0)
      text += Of({"+", " + ", "+"}) + TextOperand(depth + 1);
    return text;
  }
  std::string TextOperand(int depth) {
    switch (Pick(12)) {
      case 0:
        return Of({"'abc'", "'a,b'", "''", "'it\\'s'", "'x\\\\'", "'open", "'<Temp>f'"});
      case 1:
        return TextName();
      case 2:
        return Of({"CBK_PageName", "CBK_pagename", "CBK_MP3Pos", "CBK_None"});
      case 3:
        return Of({"<Temp>", "<List>1", "<List>i", "<List>9", "<Windows", "<SrcDir>"});
      case 4:
        return Of({"char", "chr", "low", "upp", "extractname", "extractext"}) + "(" +
               Of({"s$", "65", "i", "'A.b'", "a$"}) + ")";
      case 5:
        return Of({"strcopy", "strdel", "strins", "strchange", "strset", "getarrayitem"}) + "(" +
               Of({"s$", "a$"}) + "," + Of({"1", "2", "'b'", "','"}) + "," + Of({"1", "2", "'z'"}) +
               ")";
      case 6:
        return Of({"strget", "strofchar"}) + "(" + Of({"s$", "'ab'"}) + "," + Of({"2", "3", "i"}) +
               ")";
      case 7:
        return Of({"winver()", "getmemory()", "proctype()", "currentobject()",
                   "strfromfile('out.txt',1,2)"});
      case 8:
        return Name();  // mixing error
      case 9:
        return Of({"rnd(2)", "nothing(1)", "len(s$)"});
      default:
        return depth > 3 ? "'k'" : TextName();
    }
  }
  std::string Mutate(std::string text) {
    if (Pick(5) != 0 || text.empty())
      return text;
    const size_t at = Pick(text.size());
    if (Pick(2) == 0) {
      text.erase(at, 1);
    } else {
      text.insert(at, 1, "()[]'$=<>+-*^&|, \t.e"[Pick(20)]);
    }
    return text;
  }

  std::mt19937 random_;
};

TEST(CompiledExpression, RandomTextsFromTheGrammarAgree) {
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    Generator generator(seed);
    std::vector<std::pair<std::string, int>> texts;
    for (int i = 0; i < 25; ++i) {
      const bool condition = i % 3 == 2;
      texts.push_back({condition ? generator.Condition() : generator.Statement(), condition});
    }
    ExpectSameRuns(texts);
    if (testing::Test::HasFatalFailure()) {
      ADD_FAILURE() << "seed " << seed;
      return;
    }
  }
}

// The fuzzer's corpus for the expression target, when one is given: the first byte of each
// input picks the mode, as the target reads it.
TEST(CompiledExpression, FuzzCorpusAgrees) {
  std::vector<std::pair<std::string, int>> texts = {
      {"x=1+2*3-(4/5)", 0}, {"s$='a'+strofchar('b',3)+low('C')", 0}, {"(x>1) and (s$='ab')", 1}};
  if (const char* corpus = std::getenv("QLM_EXPR_CORPUS")) {
    for (const auto& entry : fs::directory_iterator(corpus)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
      if (!bytes.empty())
        texts.push_back({bytes.substr(1), bytes[0] & 1});
    }
  }
  for (size_t first = 0; first < texts.size(); first += 20) {
    const size_t last = std::min(texts.size(), first + 20);
    ExpectSameRuns({texts.begin() + static_cast<std::ptrdiff_t>(first),
                    texts.begin() + static_cast<std::ptrdiff_t>(last)});
    if (testing::Test::HasFatalFailure())
      return;
  }
}

// Deep nesting, long texts and every function name go through both ways too.
TEST(CompiledExpression, LimitsAndEveryFunctionAgree) {
  std::vector<std::pair<std::string, int>> texts;
  texts.push_back({std::string(250, '(') + "1" + std::string(250, ')'), 0});
  texts.push_back({"x=" + std::string(199, '(') + "x+1" + std::string(199, ')'), 0});
  std::string sum = "y=1";
  for (int i = 0; i < 1500; ++i)
    sum += "+1";
  texts.push_back({sum, 0});  // longer than the compiled limit: read each time
  for (const char* name : {"rnd",
                           "int",
                           "abs",
                           "val",
                           "mousex",
                           "mousey",
                           "mouselbutton",
                           "mouserbutton",
                           "mousembutton",
                           "getarraynum",
                           "pubwidth",
                           "pubheight",
                           "clientwidth",
                           "clientheight",
                           "pubx",
                           "puby",
                           "screenwidth",
                           "screenheight",
                           "workareawidth",
                           "workareaheight",
                           "isminimized",
                           "screencolors",
                           "usingwinnt",
                           "ord",
                           "len",
                           "pos",
                           "nol",
                           "strtofile",
                           "strtoline",
                           "procfreq",
                           "objectx",
                           "objecty",
                           "objectwidth",
                           "objectheight",
                           "isvisible",
                           "imagescrollx",
                           "imagescrolly",
                           "imagewidth",
                           "imageheight",
                           "scrollbarsize",
                           "getimageopacity",
                           "getvideoparam"}) {
    ASSERT_GE(BuiltinFunctions::NumericFunction(name), 0) << name;
    for (const char* args : {"()", "(Pic)", "(s$,a$)", "('f.txt',s$,1,0)", "(2", "('x,y)"}) {
      texts.push_back({std::string("n=") + name + args, 0});
      texts.push_back({std::string(name) + args + "=1", 1});
    }
  }
  for (const char* name :
       {"char",        "chr",         "getarrayitem", "winver", "extractdrive", "extractdir",
        "extractname", "extractext",  "low",          "upp",    "strcopy",      "strdel",
        "strins",      "strchange",   "strget",       "strset", "strofchar",    "getmemory",
        "proctype",    "strfromfile", "currentobject"}) {
    ASSERT_GE(BuiltinFunctions::TextFunction(name), 0) << name;
    for (const char* args : {"()", "(s$)", "(a$,',',2)", "(s$,2,'q')", "('f.txt',1,2)", "(s$"}) {
      texts.push_back({std::string("r$=") + name + args + "+'.'", 0});
      texts.push_back({std::string("r$=") + name + args, 1});
    }
  }
  ExpectSameRuns(texts);
}

// A text that grows too long stops its concatenation at the next "+", and the rest of the line
// is read as numbers: here y=3 is assigned and rnd drawn only because of that.
TEST(CompiledExpression, TextTooLongStopsTheConcatenationAsReadingDoes) {
  const std::string half(kMaxScriptText / 2 + 1, 'h');
  std::vector<std::pair<std::string, int>> texts = {
      {"b$=strofchar('" + std::string(1024, 'h') + "'," +
           std::to_string(kMaxScriptText / 2048 + 1) + ")",
       0},
      {"s$=b$+b$+rnd(5)+y=3", 0},
      {"s$=b$+'x'+b$+b$+z=2^3", 0},
      {"s$=b$+b$", 0},
      {"s$>b$+b$+(w=1)", 1},
  };
  Side compiled(true);
  ExpectSameRuns(texts, false);
  compiled.ev.ExecuteStatement(texts[0].first);
  compiled.ev.ExecuteStatement(texts[1].first);
  double y = 0;
  EXPECT_TRUE(compiled.ev.GetNumber("y", y));
  EXPECT_EQ(y, 3);
  EXPECT_EQ(compiled.ev.ErrorMessage(), "Overflow  : text too long");
  EXPECT_EQ(compiled.ev.Counts().earlyStops, 1u);
  EXPECT_EQ(compiled.ev.Counts().parsedRuns, 0u);
}

// The programs kept stay within their bound, and a text run often is compiled once.
TEST(CompiledExpression, CacheIsBoundedAndCompilesEachTextOnce) {
  ExpressionEvaluator ev;
  for (int i = 0; i < 100; ++i)
    ev.ExecuteStatement("x=x+1");
  EXPECT_EQ(ev.Counts().compilations, 1u);
  EXPECT_EQ(ev.Counts().compiledRuns, 100u);
  for (size_t i = 0; i < ExpressionEvaluator::kMaxPrograms * 2 + 5; ++i)
    ev.ExecuteStatement("x=" + std::to_string(i));
  double x = 0;
  ev.GetNumber("x", x);
  EXPECT_EQ(x, ExpressionEvaluator::kMaxPrograms * 2 + 4);
  const auto kept = ev.Compile("x=x+1", ExpressionEvaluator::StatementMode);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(ev.Run(*kept), x + 1);
  // A name that does not exist yet binds once it does.
  const auto later = ev.Compile("later*2", ExpressionEvaluator::StatementMode);
  EXPECT_EQ(ev.Run(*later), 0);
  ev.SetNumber("later", 21);
  EXPECT_EQ(ev.Run(*later), 42);
  EXPECT_EQ(ev.Variables().Size(), 2u);
}

}  // namespace
}  // namespace qlm
