#include "tools/ProjectFolder.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "document/ArchiveError.h"
#include "document/ArchiveReader.h"
#include "document/Inflate.h"
#include "document/ProjectReader.h"
#include "graphics/ImageCodec.h"
#include "graphics/Utf8.h"
#include "platform/CodePage.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptDecompiler.h"
#include "tools/FolderText.h"
#include "tools/ProjectJson.h"

namespace qlm {

namespace {

using json = nlohmann::ordered_json;

std::vector<uint8_t> AsBytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::string Extension(const StoredImage& image) {
  const std::string format = ImageFileFormat(image);
  if (format == "JPEG") {
    return ".jpg";
  }
  if (format == "PNG") {
    return ".png";
  }
  if (format == "TIFF") {
    return ".tif";
  }
  return ".bin";
}

// Exact leaves: texts that the code page carries as UTF-8 strings, everything else in a form
// that build turns back into the same bytes.
class FolderLeaves : public JsonLeaves {
 public:
  FolderLeaves(const CodePage& codePage, FolderFiles& files) : codePage_(codePage), files_(files) {}

  json Text(const std::string& text) override { return TextToJson(text, codePage_); }

  json Number(double value) override { return NumberToJson(value); }

  json PageImage(const StoredImage& image, const std::string& where) override {
    return Image(image, where);
  }

  json BackdropImage(const StoredImage& image, const std::string& where) override {
    return image == StoredImage{} ? json(nullptr) : Image(image, where);
  }

  json ObjectImage(const qlm::ObjectImage& image, const std::string& where) override {
    if (!image.present) {
      return nullptr;
    }
    json out{{"method", image.stored.method}, {"marker", image.marker}};
    const json pixels = Image(image.stored.data, where);
    for (auto it = pixels.begin(); it != pixels.end(); ++it) {
      out[it.key()] = it.value();
    }
    return out;
  }

  json Script(const ScriptBody& script, const std::string& where) override {
    if (script.statements.empty()) {
      return json::array();
    }
    if (auto text = DecompileExactly(script, checker_)) {
      const std::string utf8 = codePage_.ToUtf8(*text);
      if (IsValidUtf8(utf8) && codePage_.FromUtf8(utf8) == *text) {
        const std::string path = where + ".txt";
        files_[path] = AsBytes(utf8);
        return path;
      }
    }
    json out = json::array();
    for (const ScriptStatement& s : script.statements) {
      out.push_back(StatementToJson(s, *this));
    }
    return out;
  }

  json Bytes(const std::vector<uint8_t>& bytes, const std::string& where,
             const std::string& extension) override {
    if (bytes.empty()) {
      return nullptr;
    }
    const std::string path = where + extension;
    files_[path] = bytes;
    return path;
  }

  json Block(const CompressedBlock& block, const std::string& where,
             const std::string& extension) override {
    if (block == CompressedBlock{}) {
      return nullptr;
    }
    return json{{"file", Bytes(block.bytes, where, extension)}, {"packed", block.packed}};
  }

  bool WithPageCount() const override { return false; }

 private:
  json Image(const StoredImage& image, const std::string& where) {
    json out{{"form", ImageFormName(image.form)}};
    if (image.form == ImageForm::Encoded && !image.encoded.empty()) {
      const std::string path = where + Extension(image);
      files_[path] = image.encoded;
      out["file"] = path;
      return out;
    }
    const Image24& pixels = image.image;
    if (pixels.width > 0 && pixels.height > 0 &&
        pixels.pixels.size() == PixelBytes(pixels.width, pixels.height)) {
      const std::string path = where + ".png";
      files_[path] = EncodePng(pixels);
      out["file"] = path;
      return out;
    }
    // Pixels that do not fill their size (a short stream) stay as they are, size beside them.
    out["width"] = pixels.width;
    out["height"] = pixels.height;
    out["file"] = Bytes(pixels.pixels, where, ".raw");
    return out;
  }

  const CodePage& codePage_;
  FolderFiles& files_;
  EvaluatorSyntaxChecker checker_;
};

const char* SecureName(SecureLayer secure) {
  switch (secure) {
    case SecureLayer::Stored:
      return "stored";
    case SecureLayer::Packed:
      return "packed";
    default:
      return "none";
  }
}

}  // namespace

FolderFiles UnpackProject(const Project& project, const DocumentForm& form) {
  FolderFiles files;
  const CodePage codePage(form.codePage);
  FolderLeaves leaves(codePage, files);
  json out{{"codePage", codePage.Name()}, {"secure", SecureName(form.secure)}};
  if (form.outerVersion != 0) {
    out["outerVersion"] = form.outerVersion;
  }
  if (form.oneInstance) {
    out["standalone"] = {{"oneInstance", true}, {"identifier", form.identifier}};
  }
  json tree = ProjectToJson(project, leaves);
  for (auto it = tree.begin(); it != tree.end(); ++it) {
    out[it.key()] = std::move(it.value());
  }
  files[kProjectFileName] = AsBytes(out.dump(2) + "\n");
  return files;
}

DocumentForm DetectDocumentForm(std::span<const uint8_t> document, int32_t projectVersion) {
  DocumentForm form;
  try {
    ArchiveReader reader(document);
    int32_t version = 0;
    if (!ParseMagic(reader.ReadString(), version) || version < 13 || reader.ReadU32() == 0) {
      return form;
    }
    const uint32_t unpacked = reader.ReadU32();
    if (unpacked == 0) {
      return form;
    }
    form.secure = reader.ReadU32() == 0 ? SecureLayer::Stored : SecureLayer::Packed;
    if (version != projectVersion) {
      form.outerVersion = version;
    }
  } catch (const ArchiveError&) {
    // A header this short holds no project; the reader has said so already.
  }
  return form;
}

void WriteFileAtomically(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::filesystem::path temp = path;
  temp += ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      throw std::runtime_error("cannot write " + path.string());
    }
  }
  std::error_code error;
  std::filesystem::rename(temp, path, error);
  if (error) {
    std::filesystem::remove(temp, error);
    throw std::runtime_error("cannot write " + path.string() + ": " + error.message());
  }
}

void WriteFolder(const FolderFiles& files, const std::filesystem::path& dir) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::exists(dir, error)) {
    if (!fs::is_directory(dir, error) || !fs::is_empty(dir, error)) {
      throw std::runtime_error(dir.string() + " already exists and is not an empty folder");
    }
  }
  fs::path target = fs::absolute(dir, error);
  if (target.filename().empty()) {
    target = target.parent_path();  // "out/" names the folder "out"
  }
  const fs::path temp = target.parent_path() / (target.filename().string() + ".unpacking");
  fs::remove_all(temp, error);
  try {
    for (const auto& [name, bytes] : files) {
      const fs::path path = temp / fs::path(name);
      fs::create_directories(path.parent_path());
      std::ofstream out(path, std::ios::binary);
      out.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
      out.close();
      if (!out) {
        throw std::runtime_error("cannot write " + (target / fs::path(name)).string());
      }
    }
    if (fs::exists(target, error)) {
      fs::remove(target);  // the empty folder that was checked above
    }
    fs::rename(temp, target);
  } catch (const fs::filesystem_error& e) {
    fs::remove_all(temp, error);
    throw std::runtime_error(std::string("cannot write ") + target.string() + ": " +
                             e.code().message());
  } catch (...) {
    fs::remove_all(temp, error);
    throw;
  }
}

}  // namespace qlm
