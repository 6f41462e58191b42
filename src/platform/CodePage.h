#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qlm {

// Converts file names between the presentation's 8-bit code page and the host's UTF-8.
// ASCII passes through untouched; other bytes go through iconv.
class CodePage {
 public:
  // name: an iconv encoding name such as "WINDOWS-1252" or "CP932". An unknown name falls back
  // to Windows-1252, which is what the player uses without a --codepage option.
  explicit CodePage(std::string name = "WINDOWS-1252");

  const std::string& Name() const { return name_; }

  // Bytes that do not form a character of the code page are kept as they are, so a name that
  // is already UTF-8 on the host still has a chance to match.
  std::string ToUtf8(const std::string& text) const;
  // Characters the code page cannot show become '?', as Windows shows them.
  std::string FromUtf8(const std::string& text) const;
  // Where each character of a text in this code page starts, in ascending byte offsets: every
  // byte in the single-byte code pages, lead and trail bytes together in the double-byte ones.
  // Caret movement in input fields steps by them.
  std::vector<std::size_t> CharacterStarts(std::string_view text) const;

 private:
  std::string name_;
};

// Lower-cases the letters of a UTF-8 text that Windows file systems treat as case variants
// (ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic); other bytes are kept.
std::string FoldCaseUtf8(const std::string& text);

}  // namespace qlm
