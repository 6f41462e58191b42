#include "platform/headless/JsonLinesWriter.h"

#include <cmath>

namespace qlm {

JsonLinesWriter::JsonLinesWriter(std::ostream& out, CodePage codePage)
    : out_(out), codePage_(std::move(codePage)) {}

JsonLinesWriter::Json JsonLinesWriter::Number(double value) {
  constexpr double kExact = 9007199254740992.0;  // 2^53: every whole number below is exact
  if (std::isfinite(value) && std::trunc(value) == value && std::fabs(value) <= kExact) {
    return static_cast<int64_t>(value);
  }
  return value;  // NaN and the infinities have no JSON form and come out as null
}

void JsonLinesWriter::Write(const Json& event) {
  const Json* line = &event;
  Json reordered;
  if (event.is_object() && event.contains("event") && event.begin().key() != "event") {
    reordered["event"] = event["event"];
    for (const auto& [key, value] : event.items()) {
      if (key != "event")
        reordered[key] = value;
    }
    line = &reordered;
  }
  // Bytes that are not UTF-8 (a code page that passed them through) become U+FFFD rather than
  // ending the run.
  out_ << line->dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
  out_.flush();
}

void JsonLinesWriter::MessageBox(const std::string& caption, const std::string& text,
                                 uint32_t style, int answer) {
  Json j;
  j["event"] = "messagebox";
  j["caption"] = Utf8(caption);
  j["text"] = Utf8(text);
  j["style"] = style;
  j["answer"] = answer;
  Write(j);
}

void JsonLinesWriter::Page(const std::string& name) {
  Json j;
  j["event"] = "page";
  j["name"] = Utf8(name);
  Write(j);
}

void JsonLinesWriter::Launch(const std::string& program, const std::string& options) {
  Json j;
  j["event"] = "launch";
  j["program"] = Utf8(program);
  j["options"] = Utf8(options);
  Write(j);
}

void JsonLinesWriter::Browser(const std::string& object, const std::string& url) {
  Json j;
  j["event"] = "browser";
  j["object"] = Utf8(object);
  j["url"] = url;
  Write(j);
}

void JsonLinesWriter::Blocked(std::string_view what, const std::string& path) {
  Json j;
  j["event"] = "blocked";
  j["what"] = what;
  j["path"] = Utf8(path);
  Write(j);
}

void JsonLinesWriter::State(const PlayerSnapshot& state) {
  Json j;
  j["event"] = "state";
  j["page"] = Utf8(state.page);
  Json v = Json::object();
  for (const PlayerSnapshot::Variable& var : state.variables) {
    v[Utf8(var.name)] = var.isText ? Json(Utf8(var.text)) : Number(var.number);
  }
  j["vars"] = std::move(v);
  Json list = Json::array();
  for (const PlayerSnapshot::Object& o : state.objects) {
    Json obj;
    obj["page"] = Utf8(o.page);
    obj["name"] = Utf8(o.name);
    obj["kind"] = o.kind;
    obj["rect"] = Json::array({o.left, o.top, o.right, o.bottom});
    obj["hidden"] = o.hidden;
    obj["text"] = Utf8(o.text);
    list.push_back(std::move(obj));
  }
  j["objects"] = std::move(list);
  Write(j);
}

void JsonLinesWriter::Print(std::string_view what, int pages, const std::string& file) {
  Json j;
  j["event"] = "print";
  j["what"] = what;
  j["pages"] = pages;
  if (!file.empty())
    j["file"] = file;
  Write(j);
}

void JsonLinesWriter::Speech(const std::string& text, int pitch, int wordsPerMinute) {
  Json j;
  j["event"] = "speech";
  j["text"] = Utf8(text);
  j["pitch"] = pitch;
  j["rate"] = wordsPerMinute;
  Write(j);
}

void JsonLinesWriter::Exit(int code) {
  Json j;
  j["event"] = "exit";
  j["code"] = code;
  Write(j);
}

}  // namespace qlm
