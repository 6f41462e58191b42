#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace qlm {

class CodePage;

// Exact texts and numbers of the project file.
//
// A text is a JSON string (UTF-8) when the presentation's code page carries it there and back
// unchanged; otherwise (bytes the code page does not define) it is {"hex": "..."} holding the
// stored bytes. A number that JSON cannot hold (NaN, infinities) is {"bits": "..."}, the 16 hex
// digits of the IEEE-754 double.
nlohmann::ordered_json TextToJson(const std::string& text, const CodePage& codePage);
nlohmann::ordered_json NumberToJson(double value);

// Where a UTF-8 text cannot become code-page bytes: the byte offset and why.
struct TextProblem {
  size_t offset = 0;
  std::string message;
};

// The code-page bytes of a UTF-8 text, or the first problem: a byte sequence that is not
// UTF-8, or a character the code page cannot show.
std::optional<TextProblem> Utf8ToCodePage(const std::string& utf8, const CodePage& codePage,
                                          std::string& out);

// Hex digits to bytes; nullopt for an odd count or a non-hex digit.
std::optional<std::string> FromHex(const std::string& hex);

}  // namespace qlm
