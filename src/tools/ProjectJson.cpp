#include "tools/ProjectJson.h"

#include "platform/CodePage.h"

namespace qlm {

namespace {

using json = nlohmann::ordered_json;

json Text(const std::string& text, const CodePage& codePage) {
  return codePage.ToUtf8(text);
}

json Bytes(const std::vector<uint8_t>& bytes) {
  return json{{"bytes", bytes.size()}};
}

json Points(const std::vector<Point>& points) {
  json out = json::array();
  for (const Point& p : points) {
    out.push_back({p.x, p.y});
  }
  return out;
}

template <typename T, size_t N>
json FromOne(const std::array<T, N>& values) {
  // Numbered fields start at 1: slot 0 is not stored.
  return json(std::vector<T>(values.begin() + 1, values.end()));
}

const char* FormName(ImageForm form) {
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

const char* StatementKindName(int32_t code) {
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

json CompressedToJson(const CompressedBlock& block) {
  return json{{"bytes", block.bytes.size()}, {"packed", block.packed}};
}

json ObjectImageToJson(const ObjectImage& image) {
  if (!image.present) {
    return nullptr;
  }
  json out = StoredImageToJson(image.stored.data);
  out["method"] = image.stored.method;
  out["marker"] = image.marker;
  return out;
}

json FontToJson(const ObjectFont& font, const CodePage& codePage) {
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
              {"faceName", Text(font.faceName, codePage)}};
}

}  // namespace

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
  const auto& e = image.encoded;
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
  json out{{"form", FormName(image.form)},
           {"width", image.image.width},
           {"height", image.image.height},
           {"format", ImageFileFormat(image)},
           {"pixelBytes", image.image.pixels.size()}};
  if (image.form == ImageForm::Encoded) {
    out["encodedBytes"] = image.encoded.size();
  }
  return out;
}

json ScriptToJson(const ScriptBody& script, const CodePage& codePage) {
  json out = json::array();
  for (const ScriptStatement& s : script.statements) {
    out.push_back({{"code", s.code},
                   {"kind", StatementKindName(s.code)},
                   {"arg1", Text(s.arg1, codePage)},
                   {"arg2", Text(s.arg2, codePage)},
                   {"arg3", Text(s.arg3, codePage)},
                   {"arg4", Text(s.arg4, codePage)},
                   {"reserved", s.reserved},
                   {"argCount", s.argCount},
                   {"number", s.number}});
  }
  return out;
}

json ObjectToJson(const ObjectRecord& o, const CodePage& codePage) {
  json strings = json::array();
  for (size_t i = 1; i < o.strings.size(); ++i) {
    strings.push_back(Text(o.strings[i], codePage));
  }
  json stringList = json::array();
  for (const std::string& s : o.stringList) {
    stringList.push_back(Text(s, codePage));
  }
  json stateImages = json::array();
  for (size_t i = 1; i < o.stateImages.size(); ++i) {
    stateImages.push_back(ObjectImageToJson(o.stateImages[i]));
  }
  json scripts = json::array();
  for (size_t i = 1; i < o.scripts.size(); ++i) {
    scripts.push_back(ScriptToJson(o.scripts[i], codePage));
  }
  json out{{"name", Text(o.name, codePage)},
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
           {"mask", ObjectImageToJson(o.mask)},
           {"points1", Points(o.points1)},
           {"points2", Points(o.points2)},
           {"pointValue1", o.pointValue1},
           {"pointValue2", o.pointValue2},
           {"ratio", o.ratio},
           {"text", Text(o.text, codePage)},
           {"stringList", stringList},
           {"font", FontToJson(o.font, codePage)},
           {"hasMetafile", o.hasMetafile},
           {"metafileHeader",
            json(std::vector<uint32_t>(o.metafileHeader.begin(), o.metafileHeader.end()))},
           {"metafile", Bytes(o.metafile)},
           {"scripts", scripts},
           {"gifTimerId", o.gifTimerId},
           {"gifData", Bytes(o.gifData)},
           {"hasSecondText", o.hasSecondText},
           {"secondText", Text(o.secondText, codePage)},
           {"optionFlags", FromOne(o.optionFlags)},
           {"optionData", json(std::vector<uint8_t>(o.optionData.begin(), o.optionData.end()))},
           {"optionValues", FromOne(o.optionValues)}};
  if (o.extended) {
    out["extendedMarker"] = o.extendedMarker;
  }
  return out;
}

json PageToJson(const PageRecord& page, const CodePage& codePage) {
  json objects = json::array();
  for (const ObjectRecord& o : page.objects) {
    objects.push_back(ObjectToJson(o, codePage));
  }
  return json{{"name", Text(page.name, codePage)},
              {"stateValue", page.stateValue},
              {"stateText", Text(page.stateText, codePage)},
              {"pageValue1", page.pageValue1},
              {"pageIndex", page.pageIndex},
              {"hasImage", page.hasImage},
              {"useFirstPageBackground", page.useFirstPageBackground},
              {"image", page.hasImage ? StoredImageToJson(page.image) : json(nullptr)},
              {"backgroundColour", page.backgroundColour},
              {"tileImage", page.tileImage},
              {"pageValue3", page.pageValue3},
              {"objects", objects},
              {"pageText", Text(page.pageText, codePage)},
              {"useMasterBackground", page.useMasterBackground},
              {"pageValue5", page.pageValue5},
              {"transitionType", page.transitionType},
              {"transitionDuration", page.transitionDuration},
              {"enterScript", ScriptToJson(page.enterScript, codePage)},
              {"dataSize1", page.dataSize1},
              {"dataSize2", page.dataSize2},
              {"data", CompressedToJson(page.data)},
              {"pageValue8", page.pageValue8},
              {"pageValue9", page.pageValue9},
              {"exitScript", ScriptToJson(page.exitScript, codePage)}};
}

json SettingsToJson(const ProjectSettings& s, const CodePage& codePage) {
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
      {"backdropImage", s.backdropImage.image.Empty() && s.backdropImage.encoded.empty()
                            ? json(nullptr)
                            : StoredImageToJson(s.backdropImage)},
      {"title", Text(s.title, codePage)},
      {"showTitleBar", s.showTitleBar},
      {"shapedWindow", s.shapedWindow},
      {"clientWidth", s.clientWidth},
      {"clientHeight", s.clientHeight},
      {"paletteDisplayAction", s.paletteDisplayAction},
      {"paletteProjectPath", Text(s.paletteProjectPath, codePage)},
      {"palettePageName", Text(s.palettePageName, codePage)},
      {"rememberPosition", s.rememberPosition},
      {"profileSection", Text(s.profileSection, codePage)},
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

json ProjectToJson(const Project& project, const CodePage& codePage) {
  json pages = json::array();
  for (const PageRecord& page : project.pages) {
    pages.push_back(PageToJson(page, codePage));
  }
  json sounds = json::array();
  for (const EmbeddedSound& sound : project.sounds) {
    sounds.push_back({{"name", Text(sound.name, codePage)},
                      {"kind", sound.kind},
                      {"data", CompressedToJson(sound.data)}});
  }
  return json{{"version", project.version},
              {"settings", SettingsToJson(project.settings, codePage)},
              {"storedPageCount", project.storedPageCount},
              {"pages", pages},
              {"masterPage", PageToJson(project.masterPage, codePage)},
              {"masterLayer", PageToJson(project.masterLayer, codePage)},
              {"shapePolygon", Points(project.shapePolygon)},
              {"hasMask", project.hasMask},
              {"maskWidth", project.maskWidth},
              {"maskHeight", project.maskHeight},
              {"mask", Bytes(project.mask)},
              {"sounds", sounds}};
}

std::string JsonText(const nlohmann::ordered_json& json) {
  return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace qlm
