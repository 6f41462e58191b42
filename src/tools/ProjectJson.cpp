#include "tools/ProjectJson.h"

#include <algorithm>
#include <cctype>

#include "platform/CodePage.h"

namespace qlm {

namespace {

using json = nlohmann::ordered_json;

json Points(const std::vector<IntPoint>& points) {
  json out = json::array();
  for (const IntPoint& p : points) {
    out.push_back({p.x, p.y});
  }
  return out;
}

template <typename T, size_t N>
json FromOne(const std::array<T, N>& values) {
  // Numbered fields start at 1: slot 0 is not stored.
  return json(std::vector<T>(values.begin() + 1, values.end()));
}

json FontToJson(const ObjectFont& font, JsonLeaves& leaves) {
  return json{{"height", font.height},
              {"width", font.width},
              {"escapement", font.escapement},
              {"orientation", font.orientation},
              {"weight", font.weight},
              {"italic", font.italic},
              {"underline", font.underline},
              {"strikeOut", font.strikeOut},
              {"charSet", font.charSet},
              {"outPrecision", font.outPrecision},
              {"clipPrecision", font.clipPrecision},
              {"quality", font.quality},
              {"pitchAndFamily", font.pitchAndFamily},
              {"faceName", leaves.Text(font.faceName)}};
}

}  // namespace

std::string ImageFormName(ImageForm form) {
  switch (form) {
    case ImageForm::Raw:
      return "raw";
    case ImageForm::Packed:
      return "packed";
    case ImageForm::Zlib:
      return "zlib";
    case ImageForm::Encoded:
      return "encoded";
  }
  return "unknown";
}

std::string StatementKindName(int32_t code) {
  switch (code) {
    case KindAssign:
      return "assign";
    case KindIf:
      return "if";
    case KindEnd:
      return "end";
    case KindFor:
      return "for";
    case KindNext:
      return "next";
    case KindElse:
      return "else";
    case KindCommentBegin:
      return "comment-begin";
    case KindCommentLine:
      return "comment";
    case KindCommentEnd:
      return "comment-end";
    case KindMarked:
      return "marked";
    default:
      return "command";
  }
}

std::string ObjectKindName(int32_t typeCode) {
  switch (typeCode) {
    case kObjText:
      return "text";
    case kObjRectangle:
      return "rectangle";
    case kObjImage:
      return "image";
    case kObjHotSpot:
      return "hot spot";
    case kObjButton:
      return "button";
    case kObjLine:
      return "line";
    case kObjCircle:
      return "circle";
    case kObjTextButton:
      return "text button";
    case kObjVideo:
      return "video";
    case kObjPolygon:
      return "polygon";
    case kObjMetafile:
      return "metafile";
    case kObjParagraph:
      return "paragraph";
    case kObjAnimatedGif:
      return "animated GIF";
    case kObjScript:
      return "script";
    case kObjGrid:
      return "grid";
    case kObjTimer:
    case kObjTimer28:
      return "timer";
    case kObjPlugIn:
      return "plug-in";
    case kObjInputField:
      return "input field";
    case kObjMci:
      return "MCI media";
    case kObjProgram:
      return "program";
    case kObjBrowser:
      return "web browser";
    case kObjFlash:
      return "Flash";
    case kObjListBox:
      return "list box";
    default:
      return "type " + std::to_string(typeCode);
  }
}

std::string ImageFileFormat(const StoredImage& image) {
  if (image.form != ImageForm::Encoded) {
    return "raw";
  }
  const std::span<const uint8_t> e = image.EncodedFile();
  if (e.size() >= 3 && e[0] == 0xFF && e[1] == 0xD8 && e[2] == 0xFF) {
    return "JPEG";
  }
  if (e.size() >= 4 && e[0] == 0x89 && e[1] == 'P' && e[2] == 'N' && e[3] == 'G') {
    return "PNG";
  }
  if (e.size() >= 4 && ((e[0] == 'I' && e[1] == 'I') || (e[0] == 'M' && e[1] == 'M'))) {
    return "TIFF";
  }
  return "unknown";
}

json StoredImageToJson(const StoredImage& image) {
  json out{{"form", ImageFormName(image.form)},
           {"width", image.image.width},
           {"height", image.image.height},
           {"format", ImageFileFormat(image)},
           {"pixelBytes", image.image.pixels.size()}};
  if (image.form == ImageForm::Encoded) {
    out["encodedBytes"] = image.encoded.size();
  }
  return out;
}

namespace {

json ObjectImageToJson(const ObjectImage& image) {
  if (!image.present) {
    return nullptr;
  }
  json out = StoredImageToJson(image.stored.data);
  out["method"] = image.stored.method;
  out["marker"] = image.marker;
  return out;
}

// The summaries of `dump`.
class DumpLeaves : public JsonLeaves {
 public:
  explicit DumpLeaves(const CodePage& codePage) : codePage_(codePage) {}

  json Text(const std::string& text) override { return codePage_.ToUtf8(text); }
  json Number(double value) override { return value; }
  json PageImage(const StoredImage& image, const std::string&) override {
    return StoredImageToJson(image);
  }
  json BackdropImage(const StoredImage& image, const std::string&) override {
    return image.image.Empty() && image.encoded.empty() ? json(nullptr) : StoredImageToJson(image);
  }
  json ObjectImage(const qlm::ObjectImage& image, const std::string&) override {
    return ObjectImageToJson(image);
  }
  json Script(const ScriptBody& script, const std::string&) override {
    return ScriptToJson(script, codePage_);
  }
  json Bytes(const std::vector<uint8_t>& bytes, const std::string&, const std::string&) override {
    return json{{"bytes", bytes.size()}};
  }
  json Block(const CompressedBlock& block, const std::string&, const std::string&) override {
    return json{{"bytes", block.bytes.size()}, {"packed", block.packed}};
  }

 private:
  const CodePage& codePage_;
};

}  // namespace

json StatementToJson(const ScriptStatement& s, JsonLeaves& leaves) {
  return json{{"code", s.code},
              {"kind", StatementKindName(s.code)},
              {"arg1", leaves.Text(s.arg1)},
              {"arg2", leaves.Text(s.arg2)},
              {"arg3", leaves.Text(s.arg3)},
              {"arg4", leaves.Text(s.arg4)},
              {"reserved", s.reserved},
              {"argCount", s.argCount},
              {"number", leaves.Number(s.number)}};
}

json ScriptToJson(const ScriptBody& script, const CodePage& codePage) {
  DumpLeaves leaves(codePage);
  json out = json::array();
  for (const ScriptStatement& s : script.statements) {
    out.push_back(StatementToJson(s, leaves));
  }
  return out;
}

json ObjectToJson(const ObjectRecord& o, JsonLeaves& leaves, const std::string& where) {
  json strings = json::array();
  for (size_t i = 1; i < o.strings.size(); ++i) {
    strings.push_back(leaves.Text(o.strings[i]));
  }
  json stringList = json::array();
  for (const std::string& s : o.stringList) {
    stringList.push_back(leaves.Text(s));
  }
  json stateImages = json::array();
  for (size_t i = 1; i < o.stateImages.size(); ++i) {
    stateImages.push_back(
        leaves.ObjectImage(o.stateImages[i], where + ".state" + std::to_string(i)));
  }
  json scripts = json::array();
  for (size_t i = 1; i < o.scripts.size(); ++i) {
    scripts.push_back(leaves.Script(o.scripts[i], where + ".script" + std::to_string(i)));
  }
  json out{{"name", leaves.Text(o.name)},
           {"typeCode", o.typeCode},
           {"kind", ObjectKindName(o.typeCode)},
           {"extended", o.extended},
           {"rect", {o.rect.left, o.rect.top, o.rect.right, o.rect.bottom}},
           {"strings", strings},
           {"values", json(std::vector<uint32_t>(o.values.begin(), o.values.end()))},
           {"noImages", o.noImages},
           {"imageValues", FromOne(o.imageValues)},
           {"colours", FromOne(o.colours)},
           {"stateImages", stateImages},
           {"mask", leaves.ObjectImage(o.mask, where + ".mask")},
           {"points1", Points(o.points1)},
           {"points2", Points(o.points2)},
           {"pointValue1", o.pointValue1},
           {"pointValue2", o.pointValue2},
           {"ratio", leaves.Number(o.ratio)},
           {"text", leaves.Text(o.text)},
           {"stringList", stringList},
           {"font", FontToJson(o.font, leaves)},
           {"hasMetafile", o.hasMetafile},
           {"metafileHeader",
            json(std::vector<uint32_t>(o.metafileHeader.begin(), o.metafileHeader.end()))},
           {"metafile", leaves.Bytes(o.metafile, where + ".metafile", ".emf")},
           {"scripts", scripts},
           {"gifTimerId", o.gifTimerId},
           {"gifData", leaves.Bytes(o.gifData, where + ".animation", ".gif")},
           {"hasSecondText", o.hasSecondText},
           {"secondText", leaves.Text(o.secondText)},
           {"optionFlags", FromOne(o.optionFlags)},
           {"optionData", json(std::vector<uint8_t>(o.optionData.begin(), o.optionData.end()))},
           {"optionValues", FromOne(o.optionValues)}};
  if (o.extended) {
    out["extendedMarker"] = o.extendedMarker;
  }
  return out;
}

json ObjectToJson(const ObjectRecord& o, const CodePage& codePage) {
  DumpLeaves leaves(codePage);
  return ObjectToJson(o, leaves, "");
}

json PageToJson(const PageRecord& page, JsonLeaves& leaves, const std::string& where) {
  json objects = json::array();
  for (size_t i = 0; i < page.objects.size(); ++i) {
    const ObjectRecord& o = page.objects[i];
    objects.push_back(
        ObjectToJson(o, leaves, where + "/" + FileStem(i + 1, page.objects.size(), o.name)));
  }
  return json{{"name", leaves.Text(page.name)},
              {"stateValue", page.stateValue},
              {"stateText", leaves.Text(page.stateText)},
              {"pageValue1", page.pageValue1},
              {"pageIndex", page.pageIndex},
              {"hasImage", page.hasImage},
              {"useFirstPageBackground", page.useFirstPageBackground},
              {"image",
               page.hasImage ? leaves.PageImage(page.image, where + "/background") : json(nullptr)},
              {"backgroundColour", page.backgroundColour},
              {"tileImage", page.tileImage},
              {"pageValue3", page.pageValue3},
              {"objects", objects},
              {"pageText", leaves.Text(page.pageText)},
              {"useMasterBackground", page.useMasterBackground},
              {"pageValue5", page.pageValue5},
              {"transitionType", page.transitionType},
              {"transitionDuration", page.transitionDuration},
              {"enterScript", leaves.Script(page.enterScript, where + "/enter")},
              {"dataSize1", page.dataSize1},
              {"dataSize2", page.dataSize2},
              {"data", leaves.Block(page.data, where + "/data", ".bin")},
              {"pageValue8", page.pageValue8},
              {"pageValue9", page.pageValue9},
              {"exitScript", leaves.Script(page.exitScript, where + "/exit")}};
}

json PageToJson(const PageRecord& page, const CodePage& codePage) {
  DumpLeaves leaves(codePage);
  return PageToJson(page, leaves, "");
}

json SettingsToJson(const ProjectSettings& s, JsonLeaves& leaves) {
  return json{
      {"dragWindow", s.dragWindow},
      {"backdropImageMode", s.backdropImageMode},
      {"backdropEnabled", s.backdropEnabled},
      {"backdropColour", s.backdropColour},
      {"backdropWidth", s.backdropWidth},
      {"backdropHeight", s.backdropHeight},
      {"windowMode", s.windowMode},
      {"backdropExtra", s.backdropExtra},
      {"disableTaskSwitching", s.disableTaskSwitching},
      {"hasBackdropImage", s.hasBackdropImage},
      {"backdropImage", leaves.BackdropImage(s.backdropImage, "backdrop")},
      {"title", leaves.Text(s.title)},
      {"showTitleBar", s.showTitleBar},
      {"shapedWindow", s.shapedWindow},
      {"clientWidth", s.clientWidth},
      {"clientHeight", s.clientHeight},
      {"paletteDisplayAction", s.paletteDisplayAction},
      {"paletteProjectPath", leaves.Text(s.paletteProjectPath)},
      {"palettePageName", leaves.Text(s.palettePageName)},
      {"rememberPosition", s.rememberPosition},
      {"profileSection", leaves.Text(s.profileSection)},
      {"keepRect", s.keepRect},
      {"changeResolution", s.changeResolution},
      {"resolutionIndex", s.resolutionIndex},
      {"processPriority", s.processPriority},
      {"allowMinimize", s.allowMinimize},
      {"flashOption", s.flashOption},
      {"flashExtra", s.flashExtra},
      {"onDesktop", s.onDesktop},
      {"alwaysChange", s.alwaysChange},
  };
}

json SettingsToJson(const ProjectSettings& s, const CodePage& codePage) {
  DumpLeaves leaves(codePage);
  return SettingsToJson(s, leaves);
}

json ProjectToJson(const Project& project, JsonLeaves& leaves) {
  json pages = json::array();
  for (size_t i = 0; i < project.pages.size(); ++i) {
    const PageRecord& page = project.pages[i];
    pages.push_back(
        PageToJson(page, leaves, "pages/" + FileStem(i + 1, project.pages.size(), page.name)));
  }
  json sounds = json::array();
  for (size_t i = 0; i < project.sounds.size(); ++i) {
    const EmbeddedSound& sound = project.sounds[i];
    sounds.push_back(
        {{"name", leaves.Text(sound.name)},
         {"kind", sound.kind},
         {"data",
          leaves.Block(sound.data, "sounds/" + FileStem(i + 1, project.sounds.size(), sound.name),
                       "")}});
  }
  json out{{"version", project.version}, {"settings", SettingsToJson(project.settings, leaves)}};
  if (leaves.WithPageCount()) {
    out["storedPageCount"] = project.storedPageCount;
  }
  out["pages"] = pages;
  out["masterPage"] = PageToJson(project.masterPage, leaves, "master-page");
  out["masterLayer"] = PageToJson(project.masterLayer, leaves, "master-layer");
  out["shapePolygon"] = Points(project.shapePolygon);
  out["hasMask"] = project.hasMask;
  out["maskWidth"] = project.maskWidth;
  out["maskHeight"] = project.maskHeight;
  out["mask"] = leaves.Bytes(project.mask, "window-mask", ".bin");
  out["sounds"] = sounds;
  return out;
}

json ProjectToJson(const Project& project, const CodePage& codePage) {
  DumpLeaves leaves(codePage);
  return ProjectToJson(project, leaves);
}

std::string FileStem(size_t index, size_t count, const std::string& name) {
  const size_t width = std::max<size_t>(2, std::to_string(count).size());
  std::string stem = std::to_string(index);
  stem.insert(0, width > stem.size() ? width - stem.size() : 0, '0');
  std::string clean;
  for (unsigned char c : name) {
    if (clean.size() >= 40) {
      break;
    }
    if (std::isalnum(c) != 0 && c < 0x80) {
      clean += static_cast<char>(c);
    } else if (c == '-' || c == '_' || (c == '.' && !clean.empty())) {
      clean += static_cast<char>(c);
    } else if (c == ' ') {
      clean += '_';
    }
  }
  while (!clean.empty() && clean.back() == '.') {
    clean.pop_back();
  }
  return clean.empty() ? stem : stem + "-" + clean;
}

std::string JsonText(const nlohmann::ordered_json& json) {
  return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace qlm
