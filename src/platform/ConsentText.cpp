#include "platform/ConsentText.h"

#include <cstdio>
#include <vector>

namespace qlm {

namespace {

constexpr size_t kShownArguments = 8;
constexpr size_t kPathLimit = 96;

}  // namespace

std::string QuotedData(std::string_view text, size_t limit, bool keepEnd) {
  // Each character as it is shown, so that a cut never splits an escape.
  std::vector<std::string> pieces;
  pieces.reserve(text.size());
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\n':
        pieces.emplace_back("\\n");
        break;
      case '\r':
        pieces.emplace_back("\\r");
        break;
      case '\t':
        pieces.emplace_back("\\t");
        break;
      case '"':
      case '\\':
        pieces.push_back({'\\', ch});
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char hex[5];
          std::snprintf(hex, sizeof hex, "\\x%02x", c);
          pieces.emplace_back(hex);
        } else {
          pieces.emplace_back(1, ch);
        }
    }
  }
  size_t total = 0;
  for (const std::string& piece : pieces)
    total += piece.size();
  if (total <= limit) {
    std::string out = "\"";
    for (const std::string& piece : pieces)
      out += piece;
    return out + "\"";
  }
  std::string kept;
  if (keepEnd) {
    for (size_t i = pieces.size(); i-- > 0 && kept.size() + pieces[i].size() <= limit;)
      kept.insert(0, pieces[i]);
    return "...\"" + kept + "\"";
  }
  for (size_t i = 0; i < pieces.size() && kept.size() + pieces[i].size() <= limit; ++i)
    kept += pieces[i];
  return "\"" + kept + "\"...";
}

std::string LaunchQuestion(std::string_view program, const std::vector<std::string>& arguments,
                           std::string_view runner) {
  std::string text = "This presentation wants to start a program.\nProgram: " +
                     QuotedData(program, kPathLimit, true);
  if (!runner.empty())
    text += "\nStarted by: " + std::string(runner);
  text += "\nArguments: " + std::to_string(arguments.size());
  for (size_t i = 0; i < arguments.size() && i < kShownArguments; ++i)
    text += "\n  " + std::to_string(i + 1) + ". " + QuotedData(arguments[i]);
  if (arguments.size() > kShownArguments)
    text += "\n  (" + std::to_string(arguments.size() - kShownArguments) + " more not shown)";
  return text;
}

}  // namespace qlm
