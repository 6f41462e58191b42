#include "graphics/TextLayout.h"

#include "graphics/Font.h"
#include "graphics/Utf8.h"

namespace qlm {

std::vector<std::string> SplitHardLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string current;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(std::move(current));
      current.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
        ++i;
    } else {
      current += c;
    }
  }
  lines.push_back(std::move(current));
  return lines;
}

namespace {

// Appends the wrapped form of one hard line.
void WrapLine(const Font& font, std::string_view line, int maxWidth,
              std::vector<std::string>& out) {
  const std::string text = SanitizeUtf8(line);
  const std::vector<int> x = font.Offsets(text);
  const size_t n = text.size();
  if (n == 0 || x[n] <= maxWidth) {
    out.push_back(text);
    return;
  }
  size_t start = 0;
  while (start < n) {
    // A break drops the spaces at the start of the next line.
    if (start > 0) {
      while (start < n && text[start] == ' ')
        ++start;
      if (start == n)
        break;
    }
    if (x[n] - x[start] <= maxWidth) {
      out.push_back(text.substr(start));
      break;
    }
    // The longest run of words that fits, ending before a space.
    size_t end = start;
    for (size_t i = start + 1; i < n; ++i) {
      if (text[i] == ' ' && text[i - 1] != ' ') {
        if (x[i] - x[start] > maxWidth)
          break;
        end = i;
      }
    }
    if (end == start) {
      // One word wider than the line: as many characters as fit, at least one.
      end = start + Utf8SequenceLength(text, start);
      while (end < n && text[end] != ' ') {
        const size_t next = end + Utf8SequenceLength(text, end);
        if (x[next] - x[start] > maxWidth)
          break;
        end = next;
      }
    }
    out.push_back(text.substr(start, end - start));
    start = end;
  }
}

}  // namespace

std::vector<std::string> WrapText(const Font& font, std::string_view utf8, int maxWidth) {
  std::vector<std::string> out;
  for (const std::string& line : SplitHardLines(utf8))
    WrapLine(font, line, maxWidth, out);
  return out;
}

}  // namespace qlm
