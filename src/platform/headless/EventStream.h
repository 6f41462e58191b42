#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/EventScript.h"

namespace qlm {

// Reads an events stream (standard input, a pipe) as it arrives: a command is played as soon as
// its line (or its whole script-begin ... script-end block) is complete, and the player keeps
// answering its own messages (hand-overs from a second start) while it waits for the next line.
class EventStream {
 public:
  // `idle` runs while no input is ready; false from it ends the stream.
  EventStream(int fd, std::function<bool()> idle) : fd_(fd), idle_(std::move(idle)) {}

  // The commands of the next complete chunk; nullopt at the end of the stream or when idle()
  // says to stop. Throws EventScriptError with the line counted from the start of the stream.
  std::optional<std::vector<EventCommand>> Next();

 private:
  bool ReadLine(std::string& line);

  int fd_;
  std::function<bool()> idle_;
  std::string buffer_;
  bool eof_ = false;
  int lineNumber_ = 0;
};

// The commands of a whole events file, read before the run starts so that a fault in it stops
// the run before anything plays. Throws EventScriptError for a fault in the file; nullopt, with
// the reason in `error`, when it cannot be read.
std::optional<std::vector<EventCommand>> ReadEventsFile(const std::string& path,
                                                        std::string& error);

}  // namespace qlm
