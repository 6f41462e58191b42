#include "tools/JsonLocator.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace qlm {

namespace {

// Walks a well-formed JSON text; only what locating needs (skipping values, reading keys).
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  size_t Pos() const { return pos_; }

  void SkipSpace() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])) != 0) {
      ++pos_;
    }
  }

  char Peek() {
    SkipSpace();
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }

  bool Eat(char c) {
    if (Peek() != c) {
      return false;
    }
    ++pos_;
    return true;
  }

  // A string's contents with the escapes that keys use decoded (\" \\ \/ and the ASCII ones).
  std::string String() {
    std::string out;
    if (!Eat('"')) {
      return out;
    }
    while (pos_ < text_.size() && text_[pos_] != '"') {
      char c = text_[pos_++];
      if (c == '\\' && pos_ < text_.size()) {
        const char e = text_[pos_++];
        switch (e) {
          case 'n':
            c = '\n';
            break;
          case 't':
            c = '\t';
            break;
          case 'r':
            c = '\r';
            break;
          case 'b':
            c = '\b';
            break;
          case 'f':
            c = '\f';
            break;
          case 'u':
            pos_ = std::min(text_.size(), pos_ + 4);
            c = '?';
            break;
          default:
            c = e;
            break;
        }
      }
      out += c;
    }
    ++pos_;
    return out;
  }

  void SkipValue() {
    const char c = Peek();
    if (c == '"') {
      String();
    } else if (c == '{') {
      ++pos_;
      if (Eat('}')) {
        return;
      }
      do {
        String();
        Eat(':');
        SkipValue();
      } while (Eat(','));
      Eat('}');
    } else if (c == '[') {
      ++pos_;
      if (Eat(']')) {
        return;
      }
      do {
        SkipValue();
      } while (Eat(','));
      Eat(']');
    } else {
      while (pos_ < text_.size() &&
             std::string_view(",]} \t\r\n").find(text_[pos_]) == std::string_view::npos) {
        ++pos_;
      }
    }
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

std::vector<std::string> PointerTokens(const std::string& pointer) {
  std::vector<std::string> tokens;
  size_t pos = 0;
  while (pos < pointer.size() && pointer[pos] == '/') {
    const size_t next = pointer.find('/', pos + 1);
    const size_t end = next == std::string::npos ? pointer.size() : next;
    std::string token;
    for (size_t i = pos + 1; i < end; ++i) {
      if (pointer[i] == '~' && i + 1 < end) {
        token += pointer[++i] == '1' ? '/' : '~';
      } else {
        token += pointer[i];
      }
    }
    tokens.push_back(std::move(token));
    pos = next == std::string::npos ? pointer.size() : next;
  }
  return tokens;
}

}  // namespace

size_t LineOfOffset(std::string_view text, size_t offset) {
  offset = std::min(offset, text.size());
  return 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + offset, '\n'));
}

std::optional<size_t> LocateJsonPointer(std::string_view text, const std::string& pointer) {
  Scanner s(text);
  for (const std::string& token : PointerTokens(pointer)) {
    const char c = s.Peek();
    const size_t container = s.Pos();
    bool found = false;
    if (c == '{') {
      s.Eat('{');
      if (s.Peek() != '}') {
        do {
          const std::string key = s.String();
          s.Eat(':');
          if (key == token) {
            found = true;
            break;
          }
          s.SkipValue();
        } while (s.Eat(','));
      }
    } else if (c == '[') {
      s.Eat('[');
      size_t wanted = 0;
      for (char d : token) {
        if (std::isdigit(static_cast<unsigned char>(d)) == 0) {
          return std::nullopt;
        }
        wanted = wanted * 10 + static_cast<size_t>(d - '0');
      }
      if (s.Peek() != ']') {
        size_t index = 0;
        do {
          if (index++ == wanted) {
            found = true;
            break;
          }
          s.SkipValue();
        } while (s.Eat(','));
      }
    }
    if (!found) {
      return container;
    }
  }
  s.SkipSpace();
  return s.Pos();
}

}  // namespace qlm
