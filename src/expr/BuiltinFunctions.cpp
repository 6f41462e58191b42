#include "expr/BuiltinFunctions.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "expr/ErrorTable.h"
#include "expr/EvaluatorOwner.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/LineFile.h"
#include "expr/NumberText.h"
#include "expr/PathMacros.h"
#include "expr/TextLimit.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"

namespace qlm {
namespace {

// 1/32767 rounded to single precision, as the generator's values were scaled.
constexpr double kRandomScale = 3.0518509447574615e-05;

std::string Lower(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Case mapping of the Windows-1252 code page: ASCII, the Latin-1 letters and the few letters
// in the 0x80 to 0x9F range.
unsigned char LowerByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z')
    return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
    return static_cast<unsigned char>(c + 32);
  if (c == 0x8A || c == 0x8C || c == 0x8E)
    return static_cast<unsigned char>(c + 16);
  if (c == 0x9F)
    return 0xFF;
  return c;
}
unsigned char UpperByte(unsigned char c) {
  if (c >= 'a' && c <= 'z')
    return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
    return static_cast<unsigned char>(c - 32);
  if (c == 0x9A || c == 0x9C || c == 0x9E)
    return static_cast<unsigned char>(c - 16);
  if (c == 0xFF)
    return 0x9F;
  return c;
}

// The substring rules of the string functions: a start before the first character counts as
// the first, a start beyond the text gives "", a count past the end stops there, a negative
// count gives "".
std::string Mid(const std::string& text, int64_t start, int64_t count) {
  if (start < 0)
    start = 0;
  if (count <= 0 || start >= static_cast<int64_t>(text.size()))
    return {};
  return text.substr(static_cast<size_t>(start), static_cast<size_t>(count));
}

// The separator argument: "0x.." is one character given by its hexadecimal code.
std::string Separator(const ExpressionEvaluator& ev, const std::string& raw,
                      std::string (*resolve)(const ExpressionEvaluator&, const std::string&)) {
  if (raw.starts_with("0x")) {
    long code = std::strtol(raw.c_str() + 2, nullptr, 16);
    char c = static_cast<char>(code & 0xFF);
    return c == 0 ? std::string() : std::string(1, c);
  }
  return resolve(ev, raw);
}

struct Path {
  std::string drive, dir, name, ext;
};

// Splits a Windows path into drive, folder (with its trailing separator), name and extension.
Path SplitPath(const std::string& path) {
  Path out;
  std::string_view rest = path;
  if (rest.size() >= 2 && rest[1] == ':') {
    out.drive = std::string(rest.substr(0, 2));
    rest.remove_prefix(2);
  }
  size_t slash = rest.find_last_of("\\/");
  if (slash != std::string_view::npos) {
    out.dir = std::string(rest.substr(0, slash + 1));
    rest.remove_prefix(slash + 1);
  }
  size_t dot = rest.find_last_of('.');
  if (dot != std::string_view::npos) {
    out.ext = std::string(rest.substr(dot));
    rest = rest.substr(0, dot);
  }
  out.name = std::string(rest);
  return out;
}

}  // namespace

// Access to the evaluator's private helpers for the function bodies below. A function reads its
// arguments first: from the text when `args` is null, else as a compiled program read them.
struct FunctionContext {
  ExpressionEvaluator& ev;
  FunctionArguments* args = nullptr;

  bool Raw(size_t count, std::string* out) {
    if (args) {
      for (size_t i = 0; i < count && i < args->raw->size(); ++i)
        out[i] = (*args->raw)[i];
      return args->rawOk;
    }
    if (ev.RawArguments(count, out))
      return true;
    ev.SetError(expr_error::kParameters, "Wrong number of parameters.");
    return false;
  }
  double Paren() { return args ? args->number : ev.ParenExpression(); }
  std::string Text(const std::string& raw) const { return ev.ResolveText(raw); }
  double Number(const std::string& raw) const { return ev.ResolveNumber(raw); }
  int32_t Integer(const std::string& raw) const { return ev.ResolveInteger(raw); }
  bool Flag(const std::string& raw) const { return ev.ResolveFlag(raw); }
  std::string Macros(const std::string& text) const { return ev.ExpandMacros(text); }
  EvaluatorOwner* Owner() const { return ev.owner_; }
  // Set whenever HasFiles() is.
  const FileSystem& Files() const { return *ev.files_; }
  bool HasFiles() const { return ev.files_ != nullptr; }
  std::optional<ObjectInfo> Object(const std::string& raw) const {
    if (!ev.owner_)
      return std::nullopt;
    return ev.owner_->FindObjectInfo(ev.ResolveText(raw));
  }
  int NextRandom() { return ev.random_.Next(); }
  void Overflow(std::string_view detail) {
    ev.SetError(expr_error::kOverflow, detail, args ? args->location : nullptr);
  }
  // A compiled program raised this error already, where the text has it.
  void Expect(int token, std::string_view detail) {
    if (args)
      return;
    if (ev.cursor_.Token() != token)
      ev.SetError(expr_error::kString, detail);
    ev.cursor_.NextToken();
  }
  std::string EvaluateText() {
    if (args)
      return std::move(args->text);
    ev.cursor_.NextToken();
    return ev.EvaluateText();
  }
};

namespace {

std::string ResolveTextOf(const ExpressionEvaluator& ev, const std::string& raw);

using NumericFn = double (*)(FunctionContext&);
using TextFn = std::string (*)(FunctionContext&);

// Functions with no arguments that read the window.
template <typename Read>
double WindowValue(FunctionContext& c, Read read) {
  if (!c.Raw(0, nullptr) || !c.Owner())
    return 0;
  return read(*c.Owner());
}

// Functions of one object argument.
template <typename Read>
double ObjectValue(FunctionContext& c, double missing, Read read) {
  std::string arg;
  if (!c.Raw(1, &arg) || !c.Owner())
    return 0;
  auto object = c.Object(arg);
  return object ? read(*object) : missing;
}

double FileLines(FunctionContext& c) {
  std::string arg;
  if (!c.Raw(1, &arg) || !c.Owner() || !c.HasFiles())
    return 0;
  std::string file = c.Macros(c.Text(arg));
  if (file.empty())
    return 0;
  return static_cast<double>(line_file::CountLines(c.Files(), file));
}

double StrToFile(FunctionContext& c) {
  std::string args[4];
  if (!c.Raw(4, args) || !c.Owner() || !c.HasFiles())
    return 0;
  std::string file = c.Macros(c.Text(args[0]));
  if (file.empty())
    return 0;
  if (!line_file::WriteText(c.Files(), file, c.Text(args[1]), c.Flag(args[2]), c.Flag(args[3]))) {
    c.Owner()->GetDialogs().Message("Couldn't create the file!" + file);
    return 0;
  }
  return 1;
}

double StrToLine(FunctionContext& c) {
  std::string args[4];
  if (!c.Raw(4, args) || !c.Owner() || !c.HasFiles())
    return 0;
  std::string file = c.Macros(c.Text(args[0]));
  if (file.empty())
    return 0;
  std::string temporary = file + ".tmp";
  auto result = line_file::PutLine(c.Files(), file, temporary, c.Text(args[1]),
                                   TruncateIndex(c.Number(args[2])), c.Flag(args[3]));
  if (result == line_file::LineResult::kCannotCreateTemporary) {
    c.Owner()->GetDialogs().Message("Couldn't create temporary file!" + temporary);
  }
  return result == line_file::LineResult::kOk ? 1 : 0;
}

double GetArrayNum(FunctionContext& c) {
  std::string args[2];
  if (!c.Raw(2, args) || !c.Owner())
    return 0;
  const std::string& list = args[0];
  bool named = list.ends_with('$') || (list.size() > 1 && list.find("$[", 1) != std::string::npos);
  if (!named)
    return 0;
  std::string text = c.Text(list);
  std::string separator = Separator(c.ev, args[1], ResolveTextOf);
  if (separator.empty())
    return 0;
  double finds = 0;
  for (size_t p = text.find(separator); p != std::string::npos; p = text.find(separator, p + 1)) {
    ++finds;
  }
  return finds;
}

double Ord(FunctionContext& c) {
  std::string arg;
  if (!c.Raw(1, &arg) || !c.Owner())
    return 0;
  std::string text = c.Text(arg);
  return text.empty() ? 0 : static_cast<unsigned char>(text[0]);
}

double Len(FunctionContext& c) {
  std::string arg;
  if (!c.Raw(1, &arg) || !c.Owner())
    return 0;
  return static_cast<double>(c.Text(arg).size());
}

double Pos(FunctionContext& c) {
  std::string args[2];
  if (!c.Raw(2, args) || !c.Owner())
    return 0;
  std::string part = c.Text(args[0]);
  std::string text = c.Text(args[1]);
  if (part.empty())
    return 0;
  size_t found = text.find(part);
  return found == std::string::npos ? 0 : static_cast<double>(found + 1);
}

double GetVideoParam(FunctionContext& c) {
  std::string args[2];
  if (!c.Raw(2, args) || !c.Owner())
    return 0;
  auto object = c.Object(args[0]);
  if (!object || !object->video)
    return 0;
  std::string parameter = Lower(TrimBlanks(c.Text(args[1])));
  const VideoParameters& v = *object->video;
  if (parameter == "fullscreen")
    return v.fullScreen;
  if (parameter == "loop")
    return v.loop;
  if (parameter == "mute")
    return v.mute;
  if (parameter == "time")
    return v.mediaTimeFormat;
  if (parameter == "frame")
    return v.frameTimeFormat;
  return 0;
}

double ImageWidth(const ObjectInfo& o) {
  if (!o.hasImage)
    return 0;
  if (o.imageGridColumns == 1 && o.hasStoredImageSize && o.storedImageWidth > 0 &&
      o.storedImageHeight > 0) {
    return o.storedImageWidth;
  }
  return o.imageCellWidth;
}
double ImageHeight(const ObjectInfo& o) {
  if (!o.hasImage)
    return 0;
  if (o.imageGridColumns == 1 && o.hasStoredImageSize && o.storedImageWidth > 0 &&
      o.storedImageHeight > 0) {
    return o.storedImageHeight;
  }
  return o.imageCellHeight;
}

// How a function reads its arguments: a parenthesised number, a text, or this many raw ones.
constexpr int kNumberArgument = BuiltinFunctions::kNumberArgument;
constexpr int kTextArgument = BuiltinFunctions::kTextArgument;

struct NumericEntry {
  std::string_view name;
  NumericFn fn;
  int arguments;
};

const NumericEntry kNumeric[] = {
    {"rnd",
     [](FunctionContext& c) {
       double x = c.Paren();
       return std::trunc(static_cast<double>(c.NextRandom()) * kRandomScale * x + 0.5);
     },
     kNumberArgument},
    {"int", [](FunctionContext& c) { return std::trunc(c.Paren()); }, kNumberArgument},
    {"abs", [](FunctionContext& c) { return std::trunc(std::fabs(c.Paren())); }, kNumberArgument},
    {"val",
     [](FunctionContext& c) {
       std::string text = c.EvaluateText();
       c.Expect(')', "Expecting: ')'");
       return ParseDecimal(text);
     },
     kTextArgument},
    {"mousex",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) {
         int x = 0, y = 0;
         o.MousePosition(x, y);
         return static_cast<double>(x);
       });
     },
     0},
    {"mousey",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) {
         int x = 0, y = 0;
         o.MousePosition(x, y);
         return static_cast<double>(y);
       });
     },
     0},
    {"mouselbutton",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) {
         return o.IsMouseButtonDown(MouseButton::kLeft) ? 1.0 : 0.0;
       });
     },
     0},
    {"mouserbutton",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) {
         return o.IsMouseButtonDown(MouseButton::kRight) ? 1.0 : 0.0;
       });
     },
     0},
    {"mousembutton",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) {
         return o.IsMouseButtonDown(MouseButton::kMiddle) ? 1.0 : 0.0;
       });
     },
     0},
    {"getarraynum", GetArrayNum, 2},
    {"pubwidth",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) { return double(o.Metrics().windowWidth); });
     },
     0},
    {"pubheight",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) { return double(o.Metrics().windowHeight); });
     },
     0},
    {"clientwidth",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) { return double(o.Metrics().clientWidth); });
     },
     0},
    {"clientheight",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) { return double(o.Metrics().clientHeight); });
     },
     0},
    {"pubx",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) { return double(o.Metrics().windowLeft); });
     },
     0},
    {"puby",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) { return double(o.Metrics().windowTop); });
     },
     0},
    {"screenwidth",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) { return double(o.Metrics().screenWidth); });
     },
     0},
    {"screenheight",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) { return double(o.Metrics().screenHeight); });
     },
     0},
    {"workareawidth",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) { return double(o.Metrics().workAreaWidth); });
     },
     0},
    {"workareaheight",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) { return double(o.Metrics().workAreaHeight); });
     },
     0},
    {"isminimized",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) { return o.IsMinimized() ? 1.0 : 0.0; });
     },
     0},
    {"screencolors",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) { return double(o.Metrics().screenColorBits); });
     },
     0},
    {"usingwinnt",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) { return o.SystemInfo().ntFamily ? 1.0 : 0.0; });
     },
     0},
    {"ord", Ord, 1},
    {"len", Len, 1},
    {"pos", Pos, 2},
    {"nol", FileLines, 1},
    {"strtofile", StrToFile, 4},
    {"strtoline", StrToLine, 4},
    {"procfreq",
     [](FunctionContext& c) {
       return WindowValue(c, [](EvaluatorOwner& o) { return o.SystemInfo().processorClock; });
     },
     0},
    {"objectx",
     [](FunctionContext& c) {
       return ObjectValue(c, 0, [](const ObjectInfo& o) { return double(o.left); });
     },
     1},
    {"objecty",
     [](FunctionContext& c) {
       return ObjectValue(c, 0, [](const ObjectInfo& o) { return double(o.top); });
     },
     1},
    {"objectwidth",
     [](FunctionContext& c) {
       return ObjectValue(c, 0, [](const ObjectInfo& o) { return double(o.right - o.left); });
     },
     1},
    {"objectheight",
     [](FunctionContext& c) {
       return ObjectValue(c, 0, [](const ObjectInfo& o) { return double(o.bottom - o.top); });
     },
     1},
    {"isvisible",
     [](FunctionContext& c) {
       return ObjectValue(c, -1, [](const ObjectInfo& o) { return o.visible ? 1.0 : 0.0; });
     },
     1},
    {"imagescrollx",
     [](FunctionContext& c) {
       return ObjectValue(
           c, 0, [](const ObjectInfo& o) { return o.hasImage ? double(o.imageScrollX) : 0.0; });
     },
     1},
    {"imagescrolly",
     [](FunctionContext& c) {
       return ObjectValue(
           c, 0, [](const ObjectInfo& o) { return o.hasImage ? double(o.imageScrollY) : 0.0; });
     },
     1},
    {"imagewidth", [](FunctionContext& c) { return ObjectValue(c, 0, ImageWidth); }, 1},
    {"imageheight", [](FunctionContext& c) { return ObjectValue(c, 0, ImageHeight); }, 1},
    {"scrollbarsize",
     [](FunctionContext& c) {
       return ObjectValue(
           c, 0, [](const ObjectInfo& o) { return o.hasImage ? double(o.scrollBarSize) : 0.0; });
     },
     1},
    {"getimageopacity",
     [](FunctionContext& c) {
       return ObjectValue(c, 0, [](const ObjectInfo& o) {
         // A stored ratio that is no number reads as 0.
         return o.kind == 3 && std::isfinite(o.opacity) ? std::trunc(o.opacity * 100) : 0.0;
       });
     },
     1},
    {"getvideoparam", GetVideoParam, 2},
};

// String functions: arguments are cut first, then the owner is checked.

std::string Char(FunctionContext& c) {
  std::string arg;
  if (!c.Raw(1, &arg) || !c.Owner())
    return {};
  return FormatNumber(c.Number(arg));
}

std::string Chr(FunctionContext& c) {
  std::string arg;
  if (!c.Raw(1, &arg) || !c.Owner())
    return {};
  char ch = static_cast<char>(c.Integer(arg) & 0xFF);
  return ch == 0 ? std::string() : std::string(1, ch);
}

std::string GetArrayItem(FunctionContext& c) {
  std::string args[3];
  if (!c.Raw(3, args) || !c.Owner())
    return {};
  if (args[0].size() < 2 || args[0].find('$', 1) == std::string::npos)
    return {};
  std::string text = c.Text(args[0]);
  std::string separator = Separator(c.ev, args[1], ResolveTextOf);
  int32_t n = c.Integer(args[2]);
  if (separator.empty() || text.empty())
    return {};
  size_t p = text.find(separator);
  while (n > 0 && p != std::string::npos && p > 0) {
    if (n == 1)
      return text.substr(0, p);
    text.erase(0, p + separator.size());
    p = text.find(separator);
    --n;
  }
  return {};
}

std::string WinVer(FunctionContext& c) {
  if (!c.Raw(0, nullptr) || !c.Owner())
    return {};
  SystemInformation info = c.Owner()->SystemInfo();
  uint32_t build = info.osMajor == 4 ? (info.osBuild & 0xFFFF) : info.osBuild;
  char text[64];
  std::snprintf(text, sizeof text, "%1d.%02d.%04u", info.osMajor, info.osMinor, build);
  return text;
}

template <std::string Path::*Part>
std::string ExtractPart(FunctionContext& c) {
  std::string arg;
  if (!c.Raw(1, &arg) || !c.Owner())
    return {};
  std::string path = c.Macros(c.Text(arg));
  if (path.empty())
    return {};
  return SplitPath(path).*Part;
}

template <unsigned char (*Map)(unsigned char)>
std::string MapCase(FunctionContext& c) {
  std::string arg;
  if (!c.Raw(1, &arg) || !c.Owner())
    return {};
  std::string text = c.Text(arg);
  for (char& ch : text)
    ch = static_cast<char>(Map(static_cast<unsigned char>(ch)));
  return text;
}

std::string StrCopy(FunctionContext& c) {
  std::string args[3];
  if (!c.Raw(3, args) || !c.Owner())
    return {};
  std::string text = c.Text(args[0]);
  if (text.empty())
    return {};
  return Mid(text, int64_t{c.Integer(args[1])} - 1, c.Integer(args[2]));
}

std::string StrDel(FunctionContext& c) {
  std::string args[3];
  if (!c.Raw(3, args) || !c.Owner())
    return {};
  std::string text = c.Text(args[0]);
  if (text.empty())
    return {};
  int64_t start = std::max<int64_t>(int64_t{c.Integer(args[1])} - 1, 0);
  int64_t count = c.Integer(args[2]);
  if (count <= 0 || start >= static_cast<int64_t>(text.size()))
    return text;
  text.erase(static_cast<size_t>(start), static_cast<size_t>(count));
  return text;
}

std::string StrIns(FunctionContext& c) {
  std::string args[3];
  if (!c.Raw(3, args) || !c.Owner())
    return {};
  std::string text = c.Text(args[0]);
  if (text.empty())
    return {};
  int64_t at =
      std::clamp<int64_t>(int64_t{c.Integer(args[2])} - 1, 0, static_cast<int64_t>(text.size()));
  text.insert(static_cast<size_t>(at), c.Text(args[1]));
  return text;
}

std::string StrChange(FunctionContext& c) {
  std::string args[3];
  if (!c.Raw(3, args) || !c.Owner())
    return {};
  std::string text = c.Text(args[0]);
  std::string from = c.Text(args[1]);
  std::string to = c.Text(args[2]);
  if (text.empty() || from.empty())
    return text;
  std::string out;
  size_t p = 0;
  for (size_t f = text.find(from); f != std::string::npos; f = text.find(from, p)) {
    if (out.size() + (f - p) + to.size() > kMaxScriptText) {
      c.Overflow(": strchange result too long");
      return {};
    }
    out.append(text, p, f - p);
    out += to;
    p = f + from.size();
  }
  out.append(text, p);
  return out;
}

std::string StrGet(FunctionContext& c) {
  std::string args[2];
  if (!c.Raw(2, args) || !c.Owner())
    return {};
  std::string text = c.Text(args[0]);
  return Mid(text, int64_t{c.Integer(args[1])} - 1, 1);
}

std::string StrSet(FunctionContext& c) {
  std::string args[3];
  if (!c.Raw(3, args) || !c.Owner())
    return {};
  std::string text = c.Text(args[0]);
  int64_t at = int64_t{c.Integer(args[1])} - 1;
  if (at < 0 || at >= static_cast<int64_t>(text.size()))
    return text;
  return text.substr(0, static_cast<size_t>(at)) + c.Text(args[2]) +
         text.substr(static_cast<size_t>(at) + 1);
}

std::string StrOfChar(FunctionContext& c) {
  std::string args[2];
  if (!c.Raw(2, args) || !c.Owner())
    return {};
  std::string part = c.Text(args[0]);
  int32_t n = c.Integer(args[1]);
  if (part.empty() || n <= 0)
    return {};
  if (part.size() * static_cast<size_t>(n) > kMaxScriptText) {
    c.Overflow(": strofchar result too long");
    return {};
  }
  std::string out;
  out.reserve(part.size() * static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i)
    out += part;
  return out;
}

std::string GetMemory(FunctionContext& c) {
  if (!c.Raw(0, nullptr) || !c.Owner())
    return {};
  SystemInformation info = c.Owner()->SystemInfo();
  char text[64];
  std::snprintf(text, sizeof text, "%" PRIu64 "/%" PRIu64, info.totalMemoryBytes >> 20,
                info.availableMemoryBytes >> 20);
  return text;
}

std::string ProcType(FunctionContext& c) {
  if (!c.Raw(0, nullptr) || !c.Owner())
    return {};
  return c.Owner()->SystemInfo().processorName;
}

std::string StrFromFile(FunctionContext& c) {
  std::string args[3];
  if (!c.Raw(3, args) || !c.Owner() || !c.HasFiles())
    return {};
  std::string file = c.Macros(c.Text(args[0]));
  if (file.empty())
    return {};
  return line_file::ReadLines(c.Files(), file, c.Integer(args[1]), c.Integer(args[2]));
}

std::string CurrentObject(FunctionContext& c) {
  if (!c.Raw(0, nullptr) || !c.Owner())
    return {};
  return c.Owner()->RunningObjectName();
}

struct TextEntry {
  std::string_view name;
  TextFn fn;
  int arguments;
};

const TextEntry kText[] = {
    {"char", Char, 1},
    {"chr", Chr, 1},
    {"getarrayitem", GetArrayItem, 3},
    {"winver", WinVer, 0},
    {"extractdrive", ExtractPart<&Path::drive>, 1},
    {"extractdir", ExtractPart<&Path::dir>, 1},
    {"extractname", ExtractPart<&Path::name>, 1},
    {"extractext", ExtractPart<&Path::ext>, 1},
    {"low", MapCase<LowerByte>, 1},
    {"upp", MapCase<UpperByte>, 1},
    {"strcopy", StrCopy, 3},
    {"strdel", StrDel, 3},
    {"strins", StrIns, 3},
    {"strchange", StrChange, 3},
    {"strget", StrGet, 2},
    {"strset", StrSet, 3},
    {"strofchar", StrOfChar, 2},
    {"getmemory", GetMemory, 0},
    {"proctype", ProcType, 0},
    {"strfromfile", StrFromFile, 3},
    {"currentobject", CurrentObject, 0},
};

std::string ResolveTextOf(const ExpressionEvaluator& ev, const std::string& raw) {
  std::string text;
  if (ev.GetText(raw, text))
    return text;
  return raw;
}

template <typename Entry, size_t N>
int Lookup(const Entry (&table)[N], const std::string& name) {
  if (name.size() < 3 || name.size() > 15)
    return -1;
  std::string lower = Lower(name);
  for (size_t i = 0; i < N; ++i) {
    if (table[i].name == lower)
      return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

bool BuiltinFunctions::CallNumeric(ExpressionEvaluator& ev, const std::string& name,
                                   double& result) {
  const int function = Lookup(kNumeric, name);
  if (function < 0)
    return false;
  FunctionContext context{ev};
  result = kNumeric[function].fn(context);
  return true;
}

bool BuiltinFunctions::CallText(ExpressionEvaluator& ev, const std::string& name,
                                std::string& result) {
  const int function = Lookup(kText, name);
  if (function < 0)
    return false;
  FunctionContext context{ev};
  result = kText[function].fn(context);
  return true;
}

bool BuiltinFunctions::IsNumericFunction(const std::string& name) {
  return Lookup(kNumeric, name) >= 0;
}

bool BuiltinFunctions::IsTextFunction(const std::string& name) {
  return Lookup(kText, name) >= 0;
}

int BuiltinFunctions::NumericFunction(const std::string& name) {
  return Lookup(kNumeric, name);
}

int BuiltinFunctions::TextFunction(const std::string& name) {
  return Lookup(kText, name);
}

int BuiltinFunctions::NumericArguments(int function) {
  return kNumeric[function].arguments;
}

int BuiltinFunctions::TextArguments(int function) {
  return kText[function].arguments;
}

double BuiltinFunctions::CallNumeric(ExpressionEvaluator& ev, int function,
                                     FunctionArguments& args) {
  FunctionContext context{ev, &args};
  return kNumeric[function].fn(context);
}

std::string BuiltinFunctions::CallText(ExpressionEvaluator& ev, int function,
                                       FunctionArguments& args) {
  FunctionContext context{ev, &args};
  return kText[function].fn(context);
}

}  // namespace qlm
