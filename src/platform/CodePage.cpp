#include "platform/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace qlm {

namespace {

bool IsAscii(const std::string& text) {
  for (unsigned char c : text) {
    if (c >= 0x80)
      return false;
  }
  return true;
}

// One iconv descriptor for the lifetime of a call; iconv_t is not safe to share between threads.
class Iconv {
 public:
  Iconv(const std::string& to, const std::string& from)
      : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Iconv() {
    if (Ok())
      iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // The length of the character that starts `text`: the fewest bytes (up to 4) that convert
  // on their own; 1 for a byte that starts no character.
  std::size_t CharacterLength(std::string_view text) {
    for (std::size_t n = 1; n <= std::min<std::size_t>(4, text.size()); ++n) {
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      char buffer[32];
      char* in = const_cast<char*>(text.data());
      std::size_t inLeft = n;
      char* out = buffer;
      std::size_t outLeft = sizeof buffer;
      if (iconv(cd_, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1))
        return n;
      if (errno != EINVAL)
        return 1;
    }
    return 1;
  }

  // Converts text; each input byte that cannot be converted is passed to onBad, which appends
  // its replacement to the output.
  template <typename OnBad>
  std::string Convert(const std::string& text, OnBad onBad) {
    std::string out;
    std::vector<char> buffer(text.size() * 4 + 16);
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
      char* outPtr = buffer.data();
      std::size_t outLeft = buffer.size();
      const std::size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer.data(), outPtr);
      if (rc != static_cast<std::size_t>(-1))
        break;
      if (errno == E2BIG)
        continue;
      // EILSEQ or EINVAL: skip one byte of input (or, for UTF-8 input, one character).
      std::size_t skip = onBad(out, in, inLeft);
      in += skip;
      inLeft -= skip;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  iconv_t cd_;
};

// Length of the UTF-8 sequence that starts at p, at least 1 and at most left.
std::size_t Utf8Length(const char* p, std::size_t left) {
  const auto c = static_cast<unsigned char>(*p);
  std::size_t n = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  if (n > left)
    n = left;
  for (std::size_t i = 1; i < n; ++i) {
    if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80)
      return i;
  }
  return n;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

uint32_t FoldCodePoint(uint32_t cp) {
  if (cp >= 'A' && cp <= 'Z')
    return cp + 0x20;
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)
    return cp + 0x20;  // Latin-1
  if (cp >= 0x100 && cp <= 0x17F && cp != 0x130 && cp != 0x131 && cp != 0x138 && cp != 0x149 &&
      cp != 0x17F) {  // Latin Extended-A
    const bool oddPairs = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
    if (oddPairs)
      return (cp % 2 == 1) ? cp + 1 : cp;
    return (cp % 2 == 0) ? cp + 1 : cp;
  }
  if (cp == 0x178)
    return 0xFF;  // Y diaeresis
  if (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2)
    return cp + 0x20;  // Greek
  if (cp >= 0x410 && cp <= 0x42F)
    return cp + 0x20;  // Cyrillic
  if (cp >= 0x400 && cp <= 0x40F)
    return cp + 0x50;
  return cp;
}

}  // namespace

CodePage::CodePage(std::string name) : name_(std::move(name)) {
  Iconv probe("UTF-8", name_);
  if (!probe.Ok())
    name_ = "WINDOWS-1252";
}

std::string CodePage::ToUtf8(const std::string& text) const {
  if (IsAscii(text))
    return text;
  Iconv conv("UTF-8", name_);
  if (!conv.Ok())
    return text;
  return conv.Convert(text, [](std::string& out, const char* in, std::size_t) {
    out += *in;
    return std::size_t{1};
  });
}

std::string CodePage::FromUtf8(const std::string& text) const {
  if (IsAscii(text))
    return text;
  Iconv conv(name_, "UTF-8");
  if (!conv.Ok())
    return text;
  return conv.Convert(text, [](std::string& out, const char* in, std::size_t left) {
    out += '?';
    return Utf8Length(in, left);
  });
}

std::vector<std::size_t> CodePage::CharacterStarts(std::string_view text) const {
  std::vector<std::size_t> starts;
  starts.reserve(text.size());
  std::optional<Iconv> conv;
  for (std::size_t i = 0; i < text.size();) {
    starts.push_back(i);
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    if (!conv)
      conv.emplace("UTF-8", name_);
    i += conv->Ok() ? conv->CharacterLength(text.substr(i)) : 1;
  }
  return starts;
}

std::string FoldCaseUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(FoldCodePoint(c));
      ++i;
      continue;
    }
    const std::size_t n = Utf8Length(text.data() + i, text.size() - i);
    // Only well-formed two-byte sequences hold the letters folded here.
    if (n == 2 && c >= 0xC2 && c < 0xE0) {
      const uint32_t cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
      AppendUtf8(out, FoldCodePoint(cp));
    } else {
      out.append(text, i, n);
    }
    i += n;
  }
  return out;
}

}  // namespace qlm
