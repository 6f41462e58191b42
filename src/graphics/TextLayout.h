#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qlm {

class Font;

// Splits a text at its hard line breaks: LF, CR LF and a lone CR each end a line.
std::vector<std::string> SplitHardLines(std::string_view text);

// Word wrap: the text's hard lines broken further so that each line fits `maxWidth` pixels.
// Lines break after runs of spaces (the spaces at a break are dropped); a word wider than a line
// is broken between characters. An empty hard line stays an empty line. At least one character
// goes on every line, so a very narrow width cannot loop forever.
std::vector<std::string> WrapText(const Font& font, std::string_view utf8, int maxWidth);

}  // namespace qlm
