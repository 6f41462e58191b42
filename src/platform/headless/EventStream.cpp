#include "platform/headless/EventStream.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace qlm {
namespace {

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos)
    return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

// The message without the "events line N: " the error's text may start with.
std::string Message(const EventScriptError& e) {
  std::string text = e.what();
  const std::string prefix = "events line " + std::to_string(e.Line()) + ": ";
  if (text.starts_with(prefix))
    text.erase(0, prefix.size());
  return text;
}

}  // namespace

std::optional<std::vector<EventCommand>> EventStream::Next() {
  std::string chunk;
  int firstLine = 0;
  bool inBlock = false;
  for (;;) {
    std::string line;
    if (!ReadLine(line)) {
      if (chunk.empty())
        return std::nullopt;
      break;  // an unclosed block: the parser names it
    }
    ++lineNumber_;
    if (chunk.empty())
      firstLine = lineNumber_;
    chunk += line;
    chunk += '\n';
    const std::string trimmed = Trim(line);
    if (trimmed == "script-begin")
      inBlock = true;
    else if (trimmed == "script-end")
      inBlock = false;
    if (!inBlock)
      break;
  }
  try {
    std::vector<EventCommand> commands = ParseEventScript(chunk);
    for (EventCommand& c : commands)
      c.line += firstLine - 1;
    return commands;
  } catch (const EventScriptError& e) {
    throw EventScriptError(e.Line() + firstLine - 1, Message(e));
  }
}

bool EventStream::ReadLine(std::string& line) {
  for (;;) {
    if (const size_t nl = buffer_.find('\n'); nl != std::string::npos) {
      line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      return true;
    }
    if (eof_) {
      if (buffer_.empty())
        return false;
      line = std::move(buffer_);
      buffer_.clear();
      return true;
    }
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, 20);
    if (ready < 0 && errno != EINTR) {
      eof_ = true;
      continue;
    }
    if (ready <= 0) {
      if (!idle_())
        return false;
      continue;
    }
    char data[4096];
    const ssize_t n = ::read(fd_, data, sizeof data);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
      continue;
    if (n <= 0)
      eof_ = true;
    else
      buffer_.append(data, static_cast<size_t>(n));
  }
}

std::optional<std::vector<EventCommand>> ReadEventsFile(const std::string& path,
                                                        std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read the events file " + path;
    return std::nullopt;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return ParseEventScript(text.str());
}

}  // namespace qlm
