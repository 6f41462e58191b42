#include "script/ScriptText.h"

#include <algorithm>

namespace qlm {

std::string_view TrimLeft(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsScriptSpace(text[i])) {
    ++i;
  }
  return text.substr(i);
}

std::string_view TrimRight(std::string_view text) {
  size_t n = text.size();
  while (n > 0 && IsScriptSpace(text[n - 1])) {
    --n;
  }
  return text.substr(0, n);
}

std::string_view Trim(std::string_view text) {
  return TrimRight(TrimLeft(text));
}

size_t SplitList(std::string_view text, std::span<std::string> outputs) {
  size_t count = 0;
  size_t pos = 0;
  while (pos < text.size() && count < outputs.size()) {
    size_t comma = text.find(',', pos);
    size_t end = comma == std::string_view::npos ? text.size() : comma;
    outputs[count++].assign(text.substr(pos, end - pos));
    pos = comma == std::string_view::npos ? text.size() : comma + 1;
  }
  return count;
}

std::vector<std::string> SplitList(std::string_view text, size_t maxPieces) {
  // Never more pieces than commas + 1, whatever the caller asks for.
  size_t possible = static_cast<size_t>(std::count(text.begin(), text.end(), ',')) + 1;
  std::vector<std::string> pieces(std::min(maxPieces, possible));
  pieces.resize(SplitList(text, std::span<std::string>(pieces)));
  return pieces;
}

}  // namespace qlm
