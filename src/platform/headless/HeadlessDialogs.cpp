#include "platform/headless/HeadlessDialogs.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

namespace qlm {

namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  for (;;) {
    const size_t at = text.find(separator);
    pieces.push_back(text.substr(0, at));
    if (at == std::string_view::npos)
      return pieces;
    text.remove_prefix(at + 1);
  }
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ')
    text.remove_suffix(1);
  return text;
}

std::optional<int> ReadInt(std::string_view text, int low, int high) {
  text = TrimSpaces(text);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

}  // namespace

int HeadlessDialogs::DefaultAnswer(uint32_t style) {
  return FirstButton(style);
}

int HeadlessDialogs::MessageBox(const std::string& text, const std::string& caption,
                                uint32_t style) {
  int answer = DefaultAnswer(style);
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  out_.MessageBox(caption, text, style, answer);
  return answer;
}

std::optional<std::string> HeadlessDialogs::NextChoice() {
  if (choices_.empty())
    return std::nullopt;
  std::string choice = std::move(choices_.front());
  choices_.pop_front();
  if (choice.empty())
    return std::nullopt;
  return choice;
}

void HeadlessDialogs::Report(const char* kind, JsonLinesWriter::Json fields,
                             const std::optional<std::string>& answer) {
  JsonLinesWriter::Json j;
  j["event"] = "dialog";
  j["kind"] = kind;
  for (const auto& [key, value] : fields.items())
    j[key] = value;
  j["answer"] = answer ? JsonLinesWriter::Json(out_.Utf8(*answer)) : JsonLinesWriter::Json();
  out_.Write(j);
}

std::optional<std::string> HeadlessDialogs::ChooseFile(FileDialogMode mode,
                                                       const std::string& filter,
                                                       const std::string& initial) {
  const std::optional<std::string> choice = NextChoice();
  JsonLinesWriter::Json fields;
  const char* kind = "open";
  if (mode == FileDialogMode::kFolder) {
    kind = "folder";
    fields["title"] = out_.Utf8(filter);
    fields["start"] = out_.Utf8(initial);
  } else {
    kind = mode == FileDialogMode::kSave ? "save" : "open";
    fields["filter"] = out_.Utf8(filter);
    fields["default"] = out_.Utf8(initial);
  }
  Report(kind, std::move(fields), choice);
  return choice;
}

std::optional<uint32_t> HeadlessDialogs::ParseColour(const std::string& text) {
  const std::vector<std::string_view> pieces = Split(text, ',');
  if (pieces.size() != 3)
    return std::nullopt;
  uint32_t colour = 0;
  for (size_t i = 0; i < 3; ++i) {
    const std::optional<int> component = ReadInt(pieces[i], 0, 255);
    if (!component)
      return std::nullopt;
    colour |= static_cast<uint32_t>(*component) << (8 * i);
  }
  return colour;
}

std::optional<FontChoice> HeadlessDialogs::ParseFont(const std::string& text, int dpiY) {
  std::vector<std::string_view> fields = Split(text, '|');
  if (!fields.empty() && fields.back().empty())
    fields.pop_back();
  if (fields.size() != 5 || TrimSpaces(fields[0]).empty())
    return std::nullopt;
  FontChoice font;
  font.faceName = std::string(TrimSpaces(fields[0]));
  const std::string_view style = TrimSpaces(fields[1]);
  if (style != "REGULAR" && style != "BOLD" && style != "ITALIC" && style != "BOLDITALIC")
    return std::nullopt;
  font.weight = style.starts_with("BOLD") ? 700 : 400;
  font.italic = style.ends_with("ITALIC");
  const std::optional<int> points = ReadInt(fields[2], 1, 1000);
  const std::optional<int> charSet = ReadInt(fields[3], 0, 255);
  if (!points || !charSet)
    return std::nullopt;
  font.height = -static_cast<int32_t>(std::lround(*points * dpiY / 72.0));
  font.charSet = *charSet;
  const std::string_view effect = TrimSpaces(fields[4]);
  if (effect != "NONE" && effect != "UNDERLINE" && effect != "STRIKEOUT" && effect != "STRIKEUNDER")
    return std::nullopt;
  font.underline = effect == "UNDERLINE" || effect == "STRIKEUNDER";
  font.strikeOut = effect == "STRIKEOUT" || effect == "STRIKEUNDER";
  return font;
}

std::optional<uint32_t> HeadlessDialogs::ChooseColour() {
  std::optional<std::string> choice = NextChoice();
  std::optional<uint32_t> colour = choice ? ParseColour(*choice) : std::nullopt;
  // A choice that is no colour cancels, and the line says so.
  Report("colour", JsonLinesWriter::Json::object(), colour ? choice : std::nullopt);
  return colour;
}

std::optional<FontChoice> HeadlessDialogs::ChooseFont() {
  std::optional<std::string> choice = NextChoice();
  std::optional<FontChoice> font = choice ? ParseFont(*choice, dpiY_) : std::nullopt;
  Report("font", JsonLinesWriter::Json::object(), font ? choice : std::nullopt);
  return font;
}

}  // namespace qlm
