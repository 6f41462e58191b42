#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/CodePage.h"
#include "platform/PlayerSnapshot.h"

namespace qlm {

// The output of headless runs: one JSON object a line, the key "event" first and the other keys
// in a fixed order, texts converted from the presentation's code page to UTF-8.
class JsonLinesWriter {
 public:
  using Json = nlohmann::ordered_json;

  explicit JsonLinesWriter(std::ostream& out, CodePage codePage = CodePage());

  // Writes one event. An object whose first key is not "event" gets it moved to the front.
  void Write(const Json& event);

  void MessageBox(const std::string& caption, const std::string& text, uint32_t style, int answer);
  void Page(const std::string& name);
  void Launch(const std::string& program, const std::string& options);
  // A browser object (named in the presentation's code page) shows the address `url` (UTF-8).
  void Browser(const std::string& object, const std::string& url);
  // Something the trust policy refused: `what` is "read", "write", "launch", "plugin" or
  // "browse".
  void Blocked(std::string_view what, const std::string& path);
  void State(const PlayerSnapshot& state);
  // An utterance: its text and the synthesizer's pitch (0 to 100) and rate (words a minute).
  void Speech(const std::string& text, int pitch, int wordsPerMinute);
  // A print job: what was printed ("text", "page", "rect", "browser"), its sheets and the PDF
  // file written for it (UTF-8; left out when none was).
  void Print(std::string_view what, int pages, const std::string& file);
  void Exit(int code);

  // A text of the presentation as UTF-8.
  std::string Utf8(const std::string& text) const { return codePage_.ToUtf8(text); }
  // Whole numbers without a fraction ("3", not "3.0"); others as the shortest exact decimal.
  static Json Number(double value);

 private:
  std::ostream& out_;
  CodePage codePage_;
};

}  // namespace qlm
