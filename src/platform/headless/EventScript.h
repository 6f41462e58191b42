#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/EventLoop.h"

namespace qlm {

// One command of an events file (the script of a headless run).
struct EventCommand {
  enum class Kind {
    kWait,         // number: milliseconds
    kClick,        // x, y
    kDoubleClick,  // x, y
    kDown,         // x, y: left button
    kUp,
    kMove,
    kRightDown,
    kRightUp,
    kWheel,       // x, y, number: notches, positive away from the user
    kKey,         // key, modifiers
    kType,        // text (UTF-8, as written)
    kAnswer,      // number: the button the next message box returns; or, written in
                  // double quotes, text: the choice of the next picker ("" cancels it)
    kScript,      // text: one or more script lines, joined with CR LF
    kScreenshot,  // text: the PNG path
    kDump,
    kQuit,
  };

  Kind kind = Kind::kDump;
  int line = 0;  // 1-based line of the events file
  int64_t number = 0;
  int x = 0;
  int y = 0;
  uint32_t key = 0;  // virtual-key code
  Modifiers modifiers;
  std::string text;
  bool textAnswer = false;  // kAnswer: the quoted form

  bool operator==(const EventCommand&) const = default;
};

class EventScriptError : public std::runtime_error {
 public:
  EventScriptError(int line, const std::string& message);
  int Line() const { return line_; }

 private:
  int line_;
};

// Parses an events file: one command a line; blank lines and lines whose first non-blank
// character is '#' are skipped; the lines between "script-begin" and "script-end" are script
// text, taken as written. Throws EventScriptError naming the line of the first fault.
std::vector<EventCommand> ParseEventScript(std::string_view text);

}  // namespace qlm
