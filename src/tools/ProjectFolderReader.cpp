#include "tools/ProjectFolderReader.h"

#include <bit>
#include <fstream>
#include <functional>
#include <limits>
#include <set>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include <nlohmann/json.hpp>

#include "graphics/ImageCodec.h"
#include "platform/CodePage.h"
#include "platform/Dialogs.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptCompiler.h"
#include "script/ScriptText.h"
#include "tools/FolderText.h"
#include "tools/JsonLocator.h"
#include "tools/ProjectJson.h"

namespace qlm {

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

// A problem at a place in the project file; turned into a file and line at the top.
struct JsonError {
  std::string pointer;
  std::string message;
};

// A problem in another file of the folder.
struct FileError {
  FolderMessage message;
};

std::string Describe(const json& v) {
  switch (v.type()) {
    case json::value_t::null:
      return "null";
    case json::value_t::boolean:
      return "a boolean";
    case json::value_t::string:
      return "a string";
    case json::value_t::array:
      return "an array";
    case json::value_t::object:
      return "an object";
    default:
      return "a number";
  }
}

[[noreturn]] void Fail(const std::string& pointer, const std::string& message) {
  throw JsonError{pointer, message};
}

// Collects the compiler's message boxes.
class CollectingDialogs : public Dialogs {
 public:
  int MessageBox(const std::string& text, const std::string&, uint32_t) override {
    messages.push_back(text);
    return idb::kOk;
  }
  std::vector<std::string> messages;
};

class FolderReader {
 public:
  explicit FolderReader(const fs::path& dir) : dir_(dir) {}

  FolderProject Read() {
    FolderProject out;
    const fs::path projectPath = dir_ / kProjectFileName;
    projectFile_ = projectPath.string();
    std::ifstream in(projectPath, std::ios::binary);
    if (!in) {
      out.errors.push_back({projectFile_, 0, "cannot read the project file"});
      return out;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    text_ = buffer.str();
    json root;
    try {
      root = json::parse(text_);
    } catch (const json::parse_error& e) {
      const size_t offset = e.byte > 0 ? e.byte - 1 : 0;
      // "[json.exception.parse_error.101] parse error at line 8, column 5: syntax error ..."
      const std::string what = e.what();
      const size_t colon = what.find(": ", what.find("parse error"));
      const std::string why = colon == std::string::npos ? what : what.substr(colon + 2);
      out.errors.push_back({projectFile_, LineOfOffset(text_, offset), "JSON: " + why});
      return out;
    }
    try {
      ReadRoot(root, out);
    } catch (const JsonError& e) {
      errors_.push_back(AtPointer(e.pointer, e.message));
    } catch (const FileError& e) {
      errors_.push_back(e.message);
    }
    out.errors = std::move(errors_);
    out.warnings = std::move(warnings_);
    return out;
  }

 private:
  // ---- messages ----------------------------------------------------------------------------

  FolderMessage AtPointer(const std::string& pointer, const std::string& message) {
    const auto offset = LocateJsonPointer(text_, pointer);
    return {projectFile_, offset ? LineOfOffset(text_, *offset) : 0,
            (pointer.empty() ? "" : pointer + ": ") + message};
  }

  // ---- objects with known keys -------------------------------------------------------------

  class Fields {
   public:
    Fields(const json& v, std::string pointer) : v_(v), pointer_(std::move(pointer)) {
      if (!v.is_object()) {
        Fail(pointer_, "expected an object, found " + Describe(v));
      }
    }
    // Calls read(value, pointer) when the key is there.
    void Opt(const char* key, const std::function<void(const json&, const std::string&)>& read) {
      used_.insert(key);
      auto it = v_.find(key);
      if (it != v_.end()) {
        read(*it, pointer_ + "/" + key);
      }
    }
    bool Has(const char* key) const { return v_.contains(key); }
    const std::string& Pointer() const { return pointer_; }
    // Every key must have been asked for.
    void Finish() const {
      for (auto it = v_.begin(); it != v_.end(); ++it) {
        if (used_.count(it.key()) == 0) {
          Fail(pointer_ + "/" + it.key(), "unknown key \"" + it.key() + "\"");
        }
      }
    }

   private:
    const json& v_;
    std::string pointer_;
    std::set<std::string> used_;
  };

  // ---- scalars -----------------------------------------------------------------------------

  static int64_t Integer(const json& v, const std::string& p, int64_t lo, int64_t hi) {
    if (v.is_number_unsigned()) {
      const uint64_t u = v.get<uint64_t>();
      if (u <= static_cast<uint64_t>(hi) && static_cast<int64_t>(u) >= lo) {
        return static_cast<int64_t>(u);
      }
    } else if (v.is_number_integer()) {
      const int64_t i = v.get<int64_t>();
      if (i >= lo && i <= hi) {
        return i;
      }
    }
    Fail(p, "expected an integer from " + std::to_string(lo) + " to " + std::to_string(hi) +
                ", found " + (v.is_number() ? v.dump() : Describe(v)));
  }
  static uint32_t U32(const json& v, const std::string& p) {
    return static_cast<uint32_t>(Integer(v, p, 0, UINT32_MAX));
  }
  static int32_t I32(const json& v, const std::string& p) {
    return static_cast<int32_t>(Integer(v, p, INT32_MIN, INT32_MAX));
  }
  static uint8_t U8(const json& v, const std::string& p) {
    return static_cast<uint8_t>(Integer(v, p, 0, 255));
  }
  static bool Bool(const json& v, const std::string& p) {
    if (!v.is_boolean()) {
      Fail(p, "expected true or false, found " + Describe(v));
    }
    return v.get<bool>();
  }
  static double F64(const json& v, const std::string& p) {
    if (v.is_number()) {
      return v.get<double>();
    }
    if (v.is_object() && v.size() == 1 && v.contains("bits") && v["bits"].is_string()) {
      const auto bytes = FromHex(v["bits"].get<std::string>());
      if (bytes && bytes->size() == 8) {
        uint64_t bits = 0;
        for (unsigned char c : *bytes) {
          bits = bits << 8 | c;
        }
        return std::bit_cast<double>(bits);
      }
    }
    Fail(p, "expected a number or {\"bits\": \"16 hex digits\"}, found " + Describe(v));
  }
  std::string Text(const json& v, const std::string& p) {
    if (v.is_string()) {
      std::string out;
      if (auto problem = Utf8ToCodePage(v.get<std::string>(), *codePage_, out)) {
        Fail(p, problem->message);
      }
      return out;
    }
    if (v.is_object() && v.size() == 1 && v.contains("hex") && v["hex"].is_string()) {
      if (auto bytes = FromHex(v["hex"].get<std::string>())) {
        return *bytes;
      }
      Fail(p + "/hex", "expected pairs of hex digits");
    }
    Fail(p, "expected a string or {\"hex\": \"...\"}, found " + Describe(v));
  }

  static const json& Array(const json& v, const std::string& p) {
    if (!v.is_array()) {
      Fail(p, "expected an array, found " + Describe(v));
    }
    return v;
  }

  // Numbered fields: an array from the first number on (shorter arrays leave the rest as they
  // are) or an object from number to value, {"10": 1}.
  template <typename T, size_t N>
  void Numbered(const json& v, const std::string& p, std::array<T, N>& out, size_t first,
                const std::function<T(const json&, const std::string&)>& read) {
    const size_t count = N - first;
    if (v.is_array()) {
      if (v.size() > count) {
        Fail(p, "expected at most " + std::to_string(count) + " entries, found " +
                    std::to_string(v.size()));
      }
      for (size_t i = 0; i < v.size(); ++i) {
        out[first + i] = read(v[i], p + "/" + std::to_string(i));
      }
      return;
    }
    if (v.is_object()) {
      for (auto it = v.begin(); it != v.end(); ++it) {
        size_t n = 0;
        const std::string& key = it.key();
        bool digits = !key.empty() && key.size() < 4;
        for (char c : key) {
          digits = digits && c >= '0' && c <= '9';
          n = n * 10 + static_cast<size_t>(c - '0');
        }
        if (!digits || n < first || n >= N) {
          Fail(p + "/" + key, "expected a field number from " + std::to_string(first) + " to " +
                                  std::to_string(N - 1));
        }
        out[n] = read(*it, p + "/" + key);
      }
      return;
    }
    Fail(p, "expected an array or an object of numbered fields, found " + Describe(v));
  }

  static std::vector<IntPoint> Points(const json& v, const std::string& p) {
    std::vector<IntPoint> out;
    for (size_t i = 0; i < Array(v, p).size(); ++i) {
      const std::string q = p + "/" + std::to_string(i);
      if (!v[i].is_array() || v[i].size() != 2) {
        Fail(q, "expected a point [x, y]");
      }
      out.push_back({I32(v[i][0], q + "/0"), I32(v[i][1], q + "/1")});
    }
    return out;
  }

  // ---- files -------------------------------------------------------------------------------

  // The contents of a file named by the project file; the name must stay inside the folder.
  std::vector<uint8_t> FileBytes(const json& v, const std::string& p) {
    if (!v.is_string()) {
      Fail(p, "expected a file name, found " + Describe(v));
    }
    const std::string name = v.get<std::string>();
    const fs::path rel(name);
    bool inside = !name.empty() && rel.is_relative() && name.find('\\') == std::string::npos;
    for (const fs::path& part : rel) {
      inside = inside && part != ".." && part != ".";
    }
    if (!inside) {
      Fail(p, "file name \"" + name + "\" must be a path inside the project folder");
    }
    std::error_code error;
    const fs::path full = dir_ / rel;
    const fs::path real = fs::weakly_canonical(full, error);
    const fs::path root = fs::weakly_canonical(dir_, error);
    const std::string realText = real.string();
    const std::string rootText = root.string() + "/";
    if (realText.compare(0, rootText.size(), rootText) != 0) {
      Fail(p, "file \"" + name + "\" leads out of the project folder");
    }
    std::ifstream in(full, std::ios::binary);
    if (!in || fs::is_directory(full, error)) {
      Fail(p, "cannot read " + full.string());
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (in.bad()) {
      Fail(p, "cannot read " + full.string());
    }
    return bytes;
  }

  std::vector<uint8_t> OptionalFile(const json& v, const std::string& p) {
    return v.is_null() ? std::vector<uint8_t>() : FileBytes(v, p);
  }

  // ---- images ------------------------------------------------------------------------------

  enum class ImageSlot { Page, Backdrop, Object };

  StoredImage Image(const json& v, const std::string& p, ImageSlot slot, Fields* outer = nullptr) {
    std::optional<Fields> own;
    if (outer == nullptr) {
      own.emplace(v, p);
      outer = &*own;
    }
    Fields& f = *outer;
    StoredImage out;
    std::string form = "raw";
    f.Opt("form", [&](const json& x, const std::string& q) {
      if (!x.is_string()) {
        Fail(q, "expected \"raw\", \"packed\", \"zlib\" or \"encoded\"");
      }
      form = x.get<std::string>();
    });
    if (form == "raw") {
      out.form = ImageForm::Raw;
    } else if (form == "packed") {
      out.form = ImageForm::Packed;
    } else if (form == "zlib") {
      out.form = ImageForm::Zlib;
    } else if (form == "encoded") {
      out.form = ImageForm::Encoded;
    } else {
      Fail(p + "/form",
           "expected \"raw\", \"packed\", \"zlib\" or \"encoded\", found \"" + form + "\"");
    }
    if (slot == ImageSlot::Page && out.form == ImageForm::Raw) {
      // fine: a raw page image
    } else if (slot != ImageSlot::Page && out.form == ImageForm::Packed) {
      Fail(p + "/form", "\"packed\" is a form of page backgrounds only");
    } else if (slot == ImageSlot::Backdrop && out.form == ImageForm::Zlib) {
      Fail(p + "/form", "a backdrop image is raw or an encoded JPEG file");
    }
    const bool sized = f.Has("width") || f.Has("height");
    uint32_t width = 0;
    uint32_t height = 0;
    f.Opt("width", [&](const json& x, const std::string& q) { width = U32(x, q); });
    f.Opt("height", [&](const json& x, const std::string& q) { height = U32(x, q); });
    std::vector<uint8_t> bytes;
    std::string filePointer = p + "/file";
    bool hasFile = false;
    f.Opt("file", [&](const json& x, const std::string& q) {
      hasFile = !x.is_null();
      bytes = OptionalFile(x, q);
    });
    f.Finish();
    if (out.form == ImageForm::Encoded) {
      if (!hasFile) {
        Fail(p, "an encoded image needs its \"file\"");
      }
      if (bytes.size() > kMaxImageBytes) {
        Fail(filePointer, "the file is larger than 75,000,000 bytes");
      }
      out.encoded = bytes;
      // The decoder the player uses for this place.
      auto decoded = slot == ImageSlot::Page ? DecodeImageFile(bytes) : DecodeJpeg(bytes);
      if (decoded) {
        out.image = std::move(*decoded);
      } else {
        warnings_.push_back(AtPointer(filePointer, slot == ImageSlot::Page
                                                       ? "not a JPEG, PNG or TIFF file the "
                                                         "player can decode; it shows nothing"
                                                       : "not a JPEG file the player can "
                                                         "decode; it shows nothing"));
      }
      return out;
    }
    if (sized) {
      out.image = {width, height, std::move(bytes)};
    } else if (hasFile) {
      auto decoded = DecodeImageFile(bytes);
      if (!decoded) {
        Fail(filePointer, "not a PNG, JPEG or TIFF file that decodes");
      }
      out.image = std::move(*decoded);
    }
    if (PixelBytes(out.image.width, out.image.height) > kMaxImageBytes) {
      Fail(p, std::to_string(out.image.width) + " x " + std::to_string(out.image.height) +
                  " pixels are more than the 75,000,000 bytes a document may hold");
    }
    return out;
  }

  ObjectImage ObjectImageAt(const json& v, const std::string& p, bool stateImage) {
    ObjectImage out;
    if (v.is_null()) {
      return out;
    }
    Fields f(v, p);
    out.present = true;
    f.Opt("marker", [&](const json& x, const std::string& q) { out.marker = Bool(x, q); });
    f.Opt("method", [&](const json& x, const std::string& q) {
      out.stored.method = U32(x, q);
      if (out.stored.method > 2) {
        Fail(q, "image methods are 0 (raw or zlib), 1 (raw or JPEG) and 2 (raw)");
      }
    });
    out.stored.data = Image(v, p, ImageSlot::Object, &f);
    // A mask is always stored with its method; a state image only with the marker.
    const bool withMethod = !stateImage || out.marker;
    const ImageForm form = out.stored.data.form;
    const uint32_t method = out.stored.method;
    const bool raw = form == ImageForm::Raw;
    const bool fits = !withMethod   ? raw
                      : method == 0 ? raw || form == ImageForm::Zlib
                      : method == 1 ? raw || form == ImageForm::Encoded
                                    : raw;
    if (!fits) {
      Fail(p + "/form", withMethod ? "method " + std::to_string(method) +
                                         " cannot store the form \"" + ImageFormName(form) + "\""
                                   : "a state image without the marker is stored raw");
    }
    const Image24& image = out.stored.data.image;
    if (raw && !(withMethod && method == 0) &&
        image.pixels.size() != PixelBytes(image.width, image.height)) {
      Fail(p, "the raw pixels must be width x height x 3 bytes");
    }
    return out;
  }

  // ---- scripts -----------------------------------------------------------------------------

  ScriptBody Script(const json& v, const std::string& p) {
    ScriptBody body;
    if (v.is_string()) {
      const std::vector<uint8_t> bytes = FileBytes(v, p);
      CompileFile(std::string(bytes.begin(), bytes.end()), (dir_ / v.get<std::string>()).string(),
                  body);
      return body;
    }
    for (size_t i = 0; i < Array(v, p).size(); ++i) {
      const std::string q = p + "/" + std::to_string(i);
      Fields f(v[i], q);
      ScriptStatement s;
      bool hasCode = false;
      f.Opt("code", [&](const json& x, const std::string& r) {
        s.code = I32(x, r);
        hasCode = true;
      });
      if (!hasCode) {
        Fail(q, "a statement needs its \"code\"");
      }
      f.Opt("kind", [&](const json& x, const std::string& r) {
        if (!x.is_string() || x.get<std::string>() != StatementKindName(s.code)) {
          Fail(r, "code " + std::to_string(s.code) + " is a statement of kind \"" +
                      StatementKindName(s.code) + "\"");
        }
      });
      f.Opt("arg1", [&](const json& x, const std::string& r) { s.arg1 = Text(x, r); });
      f.Opt("arg2", [&](const json& x, const std::string& r) { s.arg2 = Text(x, r); });
      f.Opt("arg3", [&](const json& x, const std::string& r) { s.arg3 = Text(x, r); });
      f.Opt("arg4", [&](const json& x, const std::string& r) { s.arg4 = Text(x, r); });
      f.Opt("reserved", [&](const json& x, const std::string& r) { s.reserved = I32(x, r); });
      f.Opt("argCount", [&](const json& x, const std::string& r) { s.argCount = I32(x, r); });
      f.Opt("number", [&](const json& x, const std::string& r) { s.number = F64(x, r); });
      f.Finish();
      body.statements.push_back(std::move(s));
    }
    return body;
  }

  // Compiles a script file with the player's compiler. Messages of a line go out with its
  // number; block-balance messages with the file alone.
  void CompileFile(std::string utf8, const std::string& file, ScriptBody& body) {
    if (utf8.starts_with("\xEF\xBB\xBF")) {
      utf8.erase(0, 3);  // the byte-order mark some editors put first
    }
    std::string text;
    if (auto problem = Utf8ToCodePage(utf8, *codePage_, text)) {
      throw FileError{{file, LineOfOffset(utf8, problem->offset), problem->message}};
    }
    CollectingDialogs lineDialogs;
    ScriptCompiler lineCompiler(checker_, lineDialogs);
    ScriptStatement scratch;
    size_t pos = 0;
    size_t lineNumber = 0;
    size_t lineMessages = 0;
    bool failed = false;
    while (pos < text.size()) {
      ++lineNumber;
      const size_t lf = text.find('\n', pos);
      const size_t end = lf == std::string::npos ? text.size() : lf;
      const std::string_view line = Trim(std::string_view(text).substr(pos, end - pos));
      pos = end + 1;
      if (line.empty()) {
        continue;
      }
      lineDialogs.messages.clear();
      if (!lineCompiler.CheckLine(scratch, line, true)) {
        failed = true;
      }
      for (const std::string& m : lineDialogs.messages) {
        errors_.push_back({file, lineNumber, codePage_->ToUtf8(m)});
      }
      lineMessages += lineDialogs.messages.size();
    }
    CollectingDialogs dialogs;
    ScriptCompiler compiler(checker_, dialogs);
    const bool ok = compiler.CompileScript(body, text, true);
    for (size_t i = lineMessages; i < dialogs.messages.size(); ++i) {
      errors_.push_back({file, 0, codePage_->ToUtf8(dialogs.messages[i])});
    }
    if (!ok && !failed && dialogs.messages.size() <= lineMessages) {
      errors_.push_back({file, 0, "the script does not compile"});
    }
    // Compiler working state is not stored: keep the body as a document gives it back.
    body.ifBalance = 0;
    for (ScriptStatement& s : body.statements) {
      s.inComment = false;
      s.errorText.clear();
    }
  }

  // ---- blocks ------------------------------------------------------------------------------

  CompressedBlock Block(const json& v, const std::string& p) {
    CompressedBlock out;
    if (v.is_null()) {
      return out;
    }
    Fields f(v, p);
    f.Opt("file", [&](const json& x, const std::string& q) { out.bytes = OptionalFile(x, q); });
    f.Opt("packed", [&](const json& x, const std::string& q) { out.packed = Bool(x, q); });
    f.Finish();
    if (out.bytes.empty()) {
      out.packed = false;  // an empty block stores no packed size
    }
    return out;
  }

  // ---- records -----------------------------------------------------------------------------

  void ReadFont(const json& v, const std::string& p, ObjectFont& font) {
    Fields f(v, p);
    auto i32 = [&](const char* key, int32_t& out) {
      f.Opt(key, [&](const json& x, const std::string& q) { out = I32(x, q); });
    };
    auto u8 = [&](const char* key, uint8_t& out) {
      f.Opt(key, [&](const json& x, const std::string& q) { out = U8(x, q); });
    };
    i32("height", font.height);
    i32("width", font.width);
    i32("escapement", font.escapement);
    i32("orientation", font.orientation);
    i32("weight", font.weight);
    u8("italic", font.italic);
    u8("underline", font.underline);
    u8("strikeOut", font.strikeOut);
    u8("charSet", font.charSet);
    u8("outPrecision", font.outPrecision);
    u8("clipPrecision", font.clipPrecision);
    u8("quality", font.quality);
    u8("pitchAndFamily", font.pitchAndFamily);
    f.Opt("faceName", [&](const json& x, const std::string& q) {
      font.faceName = Text(x, q);
      if (font.faceName.size() > ObjectFont::kMaxFaceName) {
        Fail(q, "a face name has at most 31 characters; the player ignores longer ones");
      }
    });
    f.Finish();
  }

  ObjectRecord Object(const json& v, const std::string& p) {
    ObjectRecord o = ObjectRecord::Fresh();
    Fields f(v, p);
    auto u32 = [&](const char* key, uint32_t& out) {
      f.Opt(key, [&](const json& x, const std::string& q) { out = U32(x, q); });
    };
    auto text = [&](const char* key, std::string& out) {
      f.Opt(key, [&](const json& x, const std::string& q) { out = Text(x, q); });
    };
    const auto readU32 = [](const json& x, const std::string& q) { return U32(x, q); };
    text("name", o.name);
    bool hasType = false;
    f.Opt("typeCode", [&](const json& x, const std::string& q) {
      o.typeCode = I32(x, q);
      hasType = true;
    });
    if (!hasType) {
      Fail(p, "an object needs its \"typeCode\"");
    }
    f.Opt("kind", [&](const json& x, const std::string& q) {
      if (!x.is_string() || x.get<std::string>() != ObjectKindName(o.typeCode)) {
        Fail(q, "type code " + std::to_string(o.typeCode) + " is the kind \"" +
                    ObjectKindName(o.typeCode) + "\"");
      }
    });
    f.Opt("extended", [&](const json& x, const std::string& q) { o.extended = Bool(x, q); });
    f.Opt("rect", [&](const json& x, const std::string& q) {
      if (!x.is_array() || x.size() != 4) {
        Fail(q, "expected [left, top, right, bottom]");
      }
      o.rect = {I32(x[0], q + "/0"), I32(x[1], q + "/1"), I32(x[2], q + "/2"), I32(x[3], q + "/3")};
    });
    f.Opt("strings", [&](const json& x, const std::string& q) {
      Numbered<std::string, 9>(x, q, o.strings, 1,
                               [&](const json& y, const std::string& r) { return Text(y, r); });
    });
    f.Opt("values", [&](const json& x, const std::string& q) {
      Numbered<uint32_t, 21>(x, q, o.values, 0, readU32);
    });
    u32("noImages", o.noImages);
    f.Opt("imageValues", [&](const json& x, const std::string& q) {
      Numbered<uint32_t, 8>(x, q, o.imageValues, 1, readU32);
    });
    f.Opt("colours", [&](const json& x, const std::string& q) {
      Numbered<uint32_t, 4>(x, q, o.colours, 1, readU32);
    });
    f.Opt("stateImages", [&](const json& x, const std::string& q) {
      Numbered<ObjectImage, 4>(x, q, o.stateImages, 1, [&](const json& y, const std::string& r) {
        return ObjectImageAt(y, r, true);
      });
    });
    f.Opt("mask",
          [&](const json& x, const std::string& q) { o.mask = ObjectImageAt(x, q, false); });
    f.Opt("points1", [&](const json& x, const std::string& q) { o.points1 = Points(x, q); });
    f.Opt("points2", [&](const json& x, const std::string& q) { o.points2 = Points(x, q); });
    u32("pointValue1", o.pointValue1);
    u32("pointValue2", o.pointValue2);
    f.Opt("ratio", [&](const json& x, const std::string& q) { o.ratio = F64(x, q); });
    text("text", o.text);
    f.Opt("stringList", [&](const json& x, const std::string& q) {
      for (size_t i = 0; i < Array(x, q).size(); ++i) {
        o.stringList.push_back(Text(x[i], q + "/" + std::to_string(i)));
      }
    });
    f.Opt("font", [&](const json& x, const std::string& q) { ReadFont(x, q, o.font); });
    f.Opt("hasMetafile", [&](const json& x, const std::string& q) { o.hasMetafile = Bool(x, q); });
    f.Opt("metafileHeader", [&](const json& x, const std::string& q) {
      std::array<uint32_t, 7> header{};
      Numbered<uint32_t, 7>(x, q, header, 1, readU32);
      std::copy(header.begin() + 1, header.end(), o.metafileHeader.begin());
    });
    f.Opt("metafile",
          [&](const json& x, const std::string& q) { o.metafile = OptionalFile(x, q); });
    f.Opt("scripts", [&](const json& x, const std::string& q) {
      Numbered<ScriptBody, 7>(x, q, o.scripts, 1,
                              [&](const json& y, const std::string& r) { return Script(y, r); });
    });
    u32("gifTimerId", o.gifTimerId);
    f.Opt("gifData", [&](const json& x, const std::string& q) { o.gifData = OptionalFile(x, q); });
    u32("hasSecondText", o.hasSecondText);
    text("secondText", o.secondText);
    f.Opt("optionFlags", [&](const json& x, const std::string& q) {
      Numbered<bool, 8>(x, q, o.optionFlags, 1,
                        [](const json& y, const std::string& r) { return Bool(y, r); });
    });
    f.Opt("optionData", [&](const json& x, const std::string& q) {
      std::array<uint8_t, 9> data{};
      if (!x.is_array() || x.size() != 8) {
        Fail(q, "expected 8 bytes");
      }
      Numbered<uint8_t, 9>(x, q, data, 1,
                           [](const json& y, const std::string& r) { return U8(y, r); });
      std::copy(data.begin() + 1, data.end(), o.optionData.begin());
    });
    f.Opt("optionValues", [&](const json& x, const std::string& q) {
      Numbered<uint32_t, 3>(x, q, o.optionValues, 1, readU32);
    });
    f.Opt("extendedMarker", [&](const json& x, const std::string& q) {
      o.extendedMarker = I32(x, q);
      if (o.extendedMarker >= 0) {
        Fail(q, "the marker of an extended record is negative");
      }
    });
    f.Finish();
    if (!o.extended && (!o.scripts[1].Empty() || !o.scripts[2].Empty() || !o.scripts[3].Empty())) {
      Fail(p + "/scripts",
           "scripts 1 to 3 are stored only in extended records: set \"extended\": true");
    }
    if (o.hasSecondText == 0 && !o.secondText.empty()) {
      Fail(p + "/secondText", "the second text is stored only when \"hasSecondText\" is not 0");
    }
    if (!o.hasMetafile &&
        (!o.metafile.empty() || o.metafileHeader != decltype(o.metafileHeader){})) {
      Fail(p + "/metafile", "a metafile is stored only when \"hasMetafile\" is true");
    }
    return o;
  }

  PageRecord Page(const json& v, const std::string& p, PageRecord page) {
    Fields f(v, p);
    auto u32 = [&](const char* key, uint32_t& out) {
      f.Opt(key, [&](const json& x, const std::string& q) { out = U32(x, q); });
    };
    auto text = [&](const char* key, std::string& out) {
      f.Opt(key, [&](const json& x, const std::string& q) { out = Text(x, q); });
    };
    text("name", page.name);
    u32("stateValue", page.stateValue);
    text("stateText", page.stateText);
    u32("pageValue1", page.pageValue1);
    u32("pageIndex", page.pageIndex);
    if (page.pageIndex > INT32_MAX - 1) {
      Fail(p + "/pageIndex", "a page index is at most 2147483646");
    }
    u32("hasImage", page.hasImage);
    u32("useFirstPageBackground", page.useFirstPageBackground);
    bool image = false;
    f.Opt("image", [&](const json& x, const std::string& q) {
      if (!x.is_null()) {
        image = true;
        page.image = Image(x, q, ImageSlot::Page);
      }
    });
    if (image && page.hasImage == 0) {
      Fail(p + "/hasImage", "the page has an \"image\" but \"hasImage\" is 0");
    }
    u32("backgroundColour", page.backgroundColour);
    u32("tileImage", page.tileImage);
    u32("pageValue3", page.pageValue3);
    f.Opt("objects", [&](const json& x, const std::string& q) {
      for (size_t i = 0; i < Array(x, q).size(); ++i) {
        page.objects.push_back(Object(x[i], q + "/" + std::to_string(i)));
      }
    });
    text("pageText", page.pageText);
    u32("useMasterBackground", page.useMasterBackground);
    u32("pageValue5", page.pageValue5);
    u32("transitionType", page.transitionType);
    u32("transitionDuration", page.transitionDuration);
    f.Opt("enterScript",
          [&](const json& x, const std::string& q) { page.enterScript = Script(x, q); });
    u32("dataSize1", page.dataSize1);
    u32("dataSize2", page.dataSize2);
    f.Opt("data", [&](const json& x, const std::string& q) { page.data = Block(x, q); });
    u32("pageValue8", page.pageValue8);
    u32("pageValue9", page.pageValue9);
    f.Opt("exitScript",
          [&](const json& x, const std::string& q) { page.exitScript = Script(x, q); });
    f.Finish();
    return page;
  }

  void Settings(const json& v, const std::string& p, ProjectSettings& s) {
    Fields f(v, p);
    auto u32 = [&](const char* key, uint32_t& out) {
      f.Opt(key, [&](const json& x, const std::string& q) { out = U32(x, q); });
    };
    auto text = [&](const char* key, std::string& out) {
      f.Opt(key, [&](const json& x, const std::string& q) { out = Text(x, q); });
    };
    auto flag = [&](const char* key, bool& out) {
      f.Opt(key, [&](const json& x, const std::string& q) { out = Bool(x, q); });
    };
    u32("dragWindow", s.dragWindow);
    u32("backdropImageMode", s.backdropImageMode);
    u32("backdropEnabled", s.backdropEnabled);
    u32("backdropColour", s.backdropColour);
    u32("backdropWidth", s.backdropWidth);
    u32("backdropHeight", s.backdropHeight);
    u32("windowMode", s.windowMode);
    u32("backdropExtra", s.backdropExtra);
    u32("disableTaskSwitching", s.disableTaskSwitching);
    u32("hasBackdropImage", s.hasBackdropImage);
    f.Opt("backdropImage", [&](const json& x, const std::string& q) {
      if (!x.is_null()) {
        s.backdropImage = Image(x, q, ImageSlot::Backdrop);
      }
    });
    text("title", s.title);
    u32("showTitleBar", s.showTitleBar);
    u32("shapedWindow", s.shapedWindow);
    u32("clientWidth", s.clientWidth);
    u32("clientHeight", s.clientHeight);
    u32("paletteDisplayAction", s.paletteDisplayAction);
    text("paletteProjectPath", s.paletteProjectPath);
    text("palettePageName", s.palettePageName);
    u32("rememberPosition", s.rememberPosition);
    text("profileSection", s.profileSection);
    u32("keepRect", s.keepRect);
    u32("changeResolution", s.changeResolution);
    u32("resolutionIndex", s.resolutionIndex);
    u32("processPriority", s.processPriority);
    u32("allowMinimize", s.allowMinimize);
    u32("flashOption", s.flashOption);
    u32("flashExtra", s.flashExtra);
    flag("onDesktop", s.onDesktop);
    flag("alwaysChange", s.alwaysChange);
    f.Finish();
    const StoredImage& backdrop = s.backdropImage;
    if (s.backdropEnabled != 0 && s.hasBackdropImage != 0 && backdrop.form == ImageForm::Raw &&
        (backdrop.image.width != s.backdropWidth || backdrop.image.height != s.backdropHeight)) {
      Fail(p + "/backdropImage", "a raw backdrop image must be backdropWidth x backdropHeight");
    }
  }

  void ReadRoot(const json& root, FolderProject& out) {
    Fields f(root, "");
    DocumentForm& form = out.form;
    f.Opt("codePage", [&](const json& x, const std::string& q) {
      if (!x.is_string()) {
        Fail(q, "expected the name of a code page");
      }
      form.codePage = x.get<std::string>();
    });
    codePage_.emplace(form.codePage);
    if (codePage_->Name() != form.codePage) {
      Fail("/codePage", "unknown code page \"" + form.codePage + "\"");
    }
    f.Opt("secure", [&](const json& x, const std::string& q) {
      const std::string name = x.is_string() ? x.get<std::string>() : "";
      if (name == "none") {
        form.secure = SecureLayer::None;
      } else if (name == "stored") {
        form.secure = SecureLayer::Stored;
      } else if (name == "packed") {
        form.secure = SecureLayer::Packed;
      } else {
        Fail(q, "expected \"none\", \"stored\" or \"packed\"");
      }
    });
    f.Opt("outerVersion", [&](const json& x, const std::string& q) {
      form.outerVersion = static_cast<int32_t>(Integer(x, q, 13, 29));
    });
    f.Opt("standalone", [&](const json& x, const std::string& q) {
      Fields g(x, q);
      g.Opt("oneInstance",
            [&](const json& y, const std::string& r) { form.oneInstance = Bool(y, r); });
      g.Opt("identifier", [&](const json& y, const std::string& r) {
        if (!y.is_string() || y.get<std::string>().size() != 38) {
          Fail(r, "expected a braced GUID of 38 characters");
        }
        form.identifier = y.get<std::string>();
      });
      g.Finish();
    });
    Project& project = out.project;
    f.Opt("version", [&](const json& x, const std::string& q) {
      project.version = static_cast<int32_t>(Integer(x, q, 2, 29));
    });
    if (form.secure != SecureLayer::None && project.version < 13 && form.outerVersion == 0) {
      Fail("/secure", "the secure layer needs format version 13 or later");
    }
    f.Opt("settings",
          [&](const json& x, const std::string& q) { Settings(x, q, project.settings); });
    bool hasCount = false;
    uint32_t count = 0;
    f.Opt("storedPageCount", [&](const json& x, const std::string& q) {
      hasCount = true;
      count = U32(x, q);
    });
    f.Opt("pages", [&](const json& x, const std::string& q) {
      for (size_t i = 0; i < Array(x, q).size(); ++i) {
        project.pages.push_back(Page(x[i], q + "/" + std::to_string(i), PageRecord{}));
      }
    });
    project.storedPageCount = static_cast<uint32_t>(project.pages.size());
    if (hasCount && count != project.storedPageCount) {
      Fail("/storedPageCount", "there are " + std::to_string(project.pages.size()) + " pages");
    }
    f.Opt("masterPage", [&](const json& x, const std::string& q) {
      project.masterPage = Page(x, q, project.masterPage);
    });
    f.Opt("masterLayer", [&](const json& x, const std::string& q) {
      project.masterLayer = Page(x, q, project.masterLayer);
    });
    f.Opt("shapePolygon",
          [&](const json& x, const std::string& q) { project.shapePolygon = Points(x, q); });
    f.Opt("hasMask", [&](const json& x, const std::string& q) { project.hasMask = U32(x, q); });
    f.Opt("maskWidth", [&](const json& x, const std::string& q) { project.maskWidth = U32(x, q); });
    f.Opt("maskHeight",
          [&](const json& x, const std::string& q) { project.maskHeight = U32(x, q); });
    f.Opt("mask", [&](const json& x, const std::string& q) { project.mask = OptionalFile(x, q); });
    if (project.hasMask == 0 &&
        (project.maskWidth != 0 || project.maskHeight != 0 || !project.mask.empty())) {
      Fail("/hasMask", "a window mask is stored only when \"hasMask\" is not 0");
    }
    f.Opt("sounds", [&](const json& x, const std::string& q) {
      for (size_t i = 0; i < Array(x, q).size(); ++i) {
        const std::string r = q + "/" + std::to_string(i);
        Fields g(x[i], r);
        EmbeddedSound& sound = project.sounds.emplace_back();
        g.Opt("name", [&](const json& y, const std::string& s) { sound.name = Text(y, s); });
        g.Opt("kind", [&](const json& y, const std::string& s) { sound.kind = U32(y, s); });
        g.Opt("data", [&](const json& y, const std::string& s) { sound.data = Block(y, s); });
        g.Finish();
      }
    });
    f.Finish();
  }

  fs::path dir_;
  std::string projectFile_;
  std::string text_;
  std::optional<CodePage> codePage_;
  EvaluatorSyntaxChecker checker_;
  std::vector<FolderMessage> errors_;
  std::vector<FolderMessage> warnings_;
};

}  // namespace

std::string FormatFolderMessage(const FolderMessage& message) {
  std::string out = message.file;
  if (message.line != 0) {
    out += ":" + std::to_string(message.line);
  }
  return out + ": " + message.text;
}

FolderProject ReadProjectFolder(const std::filesystem::path& dir) {
  return FolderReader(dir).Read();
}

}  // namespace qlm
