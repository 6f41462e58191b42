#include "platform/headless/EventScript.h"

#include <charconv>

#include "platform/KeyNames.h"

namespace qlm {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsBlank(s[i]))
      ++i;
    const size_t start = i;
    while (i < s.size() && !IsBlank(s[i]))
      ++i;
    if (i > start)
      words.push_back(s.substr(start, i - start));
  }
  return words;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

template <typename T>
T Number(std::string_view word, int line, const char* what, T low, T high) {
  T value{};
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (ec != std::errc() || end != word.data() + word.size() || value < low || value > high) {
    throw EventScriptError(line,
                           std::string(what) + " expected, found \"" + std::string(word) + "\"");
  }
  return value;
}

struct Parser {
  int line = 0;
  std::vector<std::string_view> words;
  std::string_view rest;  // the line after the command word

  void Count(size_t n, const char* usage) const {
    if (words.size() != n + 1)
      throw EventScriptError(line, std::string("usage: ") + usage);
  }
  void Point(EventCommand& c, const char* usage) const {
    Count(2, usage);
    c.x = Number<int>(words[1], line, "a whole number", -1000000, 1000000);
    c.y = Number<int>(words[2], line, "a whole number", -1000000, 1000000);
  }
};

struct PointCommand {
  const char* name;
  EventCommand::Kind kind;
  const char* usage;
};

constexpr PointCommand kPointCommands[] = {
    {"click", EventCommand::Kind::kClick, "click X Y"},
    {"dblclick", EventCommand::Kind::kDoubleClick, "dblclick X Y"},
    {"down", EventCommand::Kind::kDown, "down X Y"},
    {"up", EventCommand::Kind::kUp, "up X Y"},
    {"move", EventCommand::Kind::kMove, "move X Y"},
    {"rdown", EventCommand::Kind::kRightDown, "rdown X Y"},
    {"rup", EventCommand::Kind::kRightUp, "rup X Y"},
};

}  // namespace

EventScriptError::EventScriptError(int line, const std::string& message)
    : std::runtime_error("events line " + std::to_string(line) + ": " + message), line_(line) {}

std::vector<EventCommand> ParseEventScript(std::string_view text) {
  std::vector<EventCommand> commands;
  EventCommand* block = nullptr;  // the open script-begin command
  int blockLines = 0;
  int lineNumber = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos)
      end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (!raw.empty() && raw.back() == '\r')
      raw.remove_suffix(1);
    const std::string_view trimmed = Trim(raw);

    if (block) {
      if (trimmed == "script-end") {
        block = nullptr;
      } else {
        if (blockLines++ > 0)
          block->text += "\r\n";
        block->text += raw;
      }
      continue;
    }
    if (trimmed.empty() || trimmed.front() == '#')
      continue;

    Parser p{lineNumber, Words(trimmed), {}};
    const std::string name = Lower(p.words[0]);
    p.rest = Trim(trimmed.substr(p.words[0].size()));
    EventCommand c;
    c.line = lineNumber;

    bool done = false;
    for (const PointCommand& pc : kPointCommands) {
      if (name == pc.name) {
        c.kind = pc.kind;
        p.Point(c, pc.usage);
        done = true;
        break;
      }
    }
    if (done) {
    } else if (name == "wheel") {
      c.kind = EventCommand::Kind::kWheel;
      p.Count(3, "wheel X Y N");
      c.x = Number<int>(p.words[1], lineNumber, "a whole number", -1000000, 1000000);
      c.y = Number<int>(p.words[2], lineNumber, "a whole number", -1000000, 1000000);
      c.number = Number<int64_t>(p.words[3], lineNumber, "notches", -1000, 1000);
    } else if (name == "wait") {
      c.kind = EventCommand::Kind::kWait;
      p.Count(1, "wait MS");
      c.number = Number<int64_t>(p.words[1], lineNumber, "milliseconds", 0, INT64_C(1) << 40);
    } else if (name == "key") {
      c.kind = EventCommand::Kind::kKey;
      if (p.words.size() < 2)
        throw EventScriptError(lineNumber, "usage: key NAME [shift] [ctrl] [alt]");
      const auto code = VirtualKeyFromName(p.words[1]);
      if (!code) {
        throw EventScriptError(lineNumber, "unknown key \"" + std::string(p.words[1]) + "\"");
      }
      c.key = *code;
      for (size_t i = 2; i < p.words.size(); ++i) {
        const std::string mod = Lower(p.words[i]);
        if (mod == "shift") {
          c.modifiers.shift = true;
        } else if (mod == "ctrl") {
          c.modifiers.ctrl = true;
        } else if (mod == "alt") {
          c.modifiers.alt = true;
        } else {
          throw EventScriptError(lineNumber, "unknown modifier \"" + std::string(p.words[i]) +
                                                 "\" (shift, ctrl or alt)");
        }
      }
    } else if (name == "type") {
      c.kind = EventCommand::Kind::kType;
      if (p.rest.empty())
        throw EventScriptError(lineNumber, "usage: type TEXT");
      c.text = p.rest;
    } else if (name == "answer" && p.rest.size() >= 2 && p.rest.front() == '"' &&
               p.rest.back() == '"') {
      // A picker's choice: the text between the quotes, taken as written.
      c.kind = EventCommand::Kind::kAnswer;
      c.textAnswer = true;
      c.text = std::string(p.rest.substr(1, p.rest.size() - 2));
    } else if (name == "answer") {
      c.kind = EventCommand::Kind::kAnswer;
      p.Count(1, "answer N");
      c.number = Number<int64_t>(p.words[1], lineNumber, "a button number", 0, 0x7FFFFFFF);
    } else if (name == "script") {
      c.kind = EventCommand::Kind::kScript;
      if (p.rest.empty())
        throw EventScriptError(lineNumber, "usage: script LINE");
      c.text = p.rest;
    } else if (name == "script-begin") {
      c.kind = EventCommand::Kind::kScript;
      p.Count(0, "script-begin");
    } else if (name == "script-end") {
      throw EventScriptError(lineNumber, "script-end without script-begin");
    } else if (name == "screenshot") {
      c.kind = EventCommand::Kind::kScreenshot;
      if (p.rest.empty())
        throw EventScriptError(lineNumber, "usage: screenshot PATH");
      c.text = p.rest;
    } else if (name == "dump") {
      c.kind = EventCommand::Kind::kDump;
      p.Count(0, "dump");
    } else if (name == "quit") {
      c.kind = EventCommand::Kind::kQuit;
      p.Count(0, "quit");
    } else {
      throw EventScriptError(lineNumber, "unknown command \"" + std::string(p.words[0]) + "\"");
    }
    commands.push_back(std::move(c));
    if (name == "script-begin") {
      block = &commands.back();
      blockLines = 0;
    }
  }
  if (block)
    throw EventScriptError(block->line, "script-begin without script-end");
  return commands;
}

}  // namespace qlm
