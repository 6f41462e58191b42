#pragma once

// Builders for projects and records that fill every field with a value different from its
// default, so a field that is lost or read out of step shows up in a comparison.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "document/ObjectRecord.h"
#include "document/Project.h"
#include "graphics/Image24.h"
#include "platform/ProfileStore.h"

namespace qlm::test {

inline Image24 Gradient(uint32_t w, uint32_t h, uint8_t seed = 0) {
  Image24 image{w, h, std::vector<uint8_t>(size_t(w) * h * 3)};
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    image.pixels[i] = static_cast<uint8_t>(i * 7 + seed);
  }
  return image;
}

inline ScriptBody Script(const std::string& tag, int lines = 2) {
  ScriptBody body;
  for (int i = 0; i < lines; ++i) {
    ScriptStatement s;
    s.code = i == 0 ? KindAssign : 42;
    s.arg1 = tag + "-arg1";
    s.arg2 = tag + "=" + std::to_string(i);
    s.arg3 = i == 0 ? "" : "limit";
    s.arg4 = "r";
    s.reserved = 7;
    s.argCount = i % 3;
    s.number = 1.5 * i;
    body.statements.push_back(s);
  }
  return body;
}

inline ObjectImage RawStateImage(uint32_t w, uint32_t h, uint8_t seed) {
  ObjectImage image;
  image.present = true;
  image.stored.data.image = Gradient(w, h, seed);
  return image;
}

inline ObjectImage MarkedImage(uint32_t method, ImageForm form, uint32_t w, uint32_t h,
                               uint8_t seed) {
  ObjectImage image;
  image.present = true;
  image.marker = true;
  image.stored.method = method;
  image.stored.data.form = form;
  image.stored.data.image = Gradient(w, h, seed);
  return image;
}

// Every field set, no image that needs a lossy codec.
inline ObjectRecord RichObject(int32_t code, bool extended = true) {
  ObjectRecord o = ObjectRecord::Fresh();
  for (int i = 1; i <= 8; ++i)
    o.strings[i] = "s" + std::to_string(i);
  for (int i = 0; i <= 20; ++i)
    o.values[i] = 1000 + i;
  o.typeCode = code;
  o.extended = extended;
  o.rect = {10, 20, 110, 220};
  o.name = "Obj" + std::to_string(code);
  for (int i = 1; i <= 7; ++i)
    o.imageValues[i] = 50 + i;
  o.colours = {0, 0x112233, 0x445566, 0x778899};
  o.stateImages[1] = RawStateImage(3, 2, 1);
  o.stateImages[2] = MarkedImage(0, ImageForm::Zlib, 4, 3, 2);
  o.stateImages[3] = MarkedImage(2, ImageForm::Raw, 2, 2, 3);
  o.mask = MarkedImage(0, ImageForm::Raw, 2, 2, 4);
  o.mask.marker = false;
  o.points1 = {{1, 2}, {-3, 4}};
  o.points2 = {{5, 6}};
  o.pointValue1 = 77;
  o.pointValue2 = 78;
  o.ratio = 0.25;
  o.text = "text of " + o.name;
  o.stringList = {"one", "", "three"};
  o.font = {-13, 2, 3, 4, 700, 1, 1, 1, 2, 3, 4, 5, 6, "Times New Roman"};
  o.hasMetafile = true;
  o.metafileHeader = {1, 2, 3, 4, 5, 6};
  o.metafile = {0x01, 0x00, 0x00, 0x00, 0xAA};
  for (int i = 1; i <= 6; ++i)
    o.scripts[i] = Script("script" + std::to_string(i), i % 3 + 1);
  if (code == kObjAnimatedGif) {  // only this kind stores the GIF block
    o.gifTimerId = 12;
    o.gifData = {'G', 'I', 'F', '8', '9', 'a', 0, 1};
  }
  if (!extended) {  // scripts 1 to 3 are stored in extended records only
    for (int i = 1; i <= 3; ++i)
      o.scripts[i] = {};
  }
  o.hasSecondText = 1;
  o.secondText = "tool tip";
  o.optionFlags = {false, false, true, false, false, true, true, true};
  o.optionData = {1, 2, 3, 4, 5, 6, 7, 8};
  o.optionValues = {0, 55, 0xABCDEF};
  return o;
}

inline PageRecord RichPage(const std::string& name, std::vector<int32_t> codes) {
  PageRecord p;
  p.name = name;
  p.stateValue = 3;
  p.stateText = "state";
  p.pageValue1 = 4;
  p.pageIndex = 5;
  p.hasImage = 1;
  p.useFirstPageBackground = 1;
  p.image.form = ImageForm::Zlib;
  p.image.image = Gradient(5, 4, 9);
  p.backgroundColour = 0x123456;
  p.tileImage = 1;
  p.pageValue3 = 6;
  for (int32_t code : codes)
    p.objects.push_back(RichObject(code, code % 2 == 0));
  p.pageText = "page text";
  p.useMasterBackground = 1;
  p.pageValue5 = 7;
  p.transitionType = 8;
  p.transitionDuration = 900;
  p.enterScript = Script("enter");
  p.dataSize1 = 10;
  p.dataSize2 = 11;
  p.data.bytes = {9, 8, 7, 6, 5, 4, 3, 2, 1};
  p.data.packed = true;
  p.pageValue8 = 12;
  p.pageValue9 = 13;
  p.exitScript = Script("exit");
  return p;
}

inline ProjectSettings RichSettings() {
  ProjectSettings s;
  s.dragWindow = 0;
  s.backdropImageMode = 2;
  s.backdropEnabled = 1;
  s.backdropColour = 0x0A0B0C;
  s.backdropWidth = 3;
  s.backdropHeight = 2;
  s.windowMode = 1;
  s.backdropExtra = 5;
  s.disableTaskSwitching = 1;
  s.hasBackdropImage = 1;
  s.backdropImage.image = Gradient(3, 2, 5);
  s.title = "Rich title";
  s.showTitleBar = 0;
  s.shapedWindow = 1;
  s.clientWidth = 800;
  s.clientHeight = 600;
  s.paletteDisplayAction = 2;
  s.paletteProjectPath = "<SrcDir>\\low.qmd";
  s.palettePageName = "Low";
  s.rememberPosition = 1;
  s.profileSection = "MyShow";
  s.keepRect = 0;  // forced to 0 by window mode 1 anyway
  s.changeResolution = 1;
  s.resolutionIndex = 3;
  s.processPriority = 2;
  s.allowMinimize = 0;
  s.flashOption = 1;
  s.flashExtra = 9;
  return s;
}

// A project holding every kind of record: all object kinds, page images of every form,
// scripts, sounds (packed and stored, with a file kind), mask and polygon.
inline Project RichProject() {
  Project p;
  p.settings = RichSettings();
  std::vector<int32_t> all;
  for (int32_t code = 1; code <= 30; ++code)
    all.push_back(code);
  p.pages.push_back(RichPage("First", all));
  PageRecord second = RichPage("Second", {12, 16, 22});
  second.image.form = ImageForm::Packed;
  second.data.packed = false;
  p.pages.push_back(second);
  PageRecord third = RichPage("Third", {});
  third.image.form = ImageForm::Raw;
  p.pages.push_back(third);
  PageRecord fourth = RichPage("Fourth", {3});
  fourth.image.form = ImageForm::Encoded;  // encoded as PNG on write
  p.pages.push_back(fourth);
  p.storedPageCount = static_cast<uint32_t>(p.pages.size());
  p.shapePolygon = {{0, 0}, {100, 0}, {50, 80}};
  p.masterPage = RichPage("Master Page 000", {2, 17});
  p.masterLayer = RichPage("Master Layer 000", {4});
  p.masterLayer.hasImage = 0;
  p.masterLayer.image = {};
  p.hasMask = 1;
  p.maskWidth = 4;
  p.maskHeight = 2;
  p.mask = {255, 250, 249, 0, 1, 2, 3, 4};
  p.sounds.push_back({1, {{'R', 'I', 'F', 'F'}, true}, "click"});
  p.sounds.push_back({10, {{'M', 'T', 'h', 'd', 0, 0}, false}, "music.mid"});
  return p;
}

// A profile store answering from a map (section/entry -> text).
class MapProfile : public ProfileStore {
 public:
  std::map<std::string, std::string> entries;

  int GetInt(const std::string& section, const std::string& entry, int fallback) const override {
    auto it = entries.find(section + "/" + entry);
    return it == entries.end() ? fallback : std::stoi(it->second);
  }
  std::string GetString(const std::string& section, const std::string& entry,
                        const std::string& fallback) const override {
    auto it = entries.find(section + "/" + entry);
    return it == entries.end() ? fallback : it->second;
  }
  bool WriteInt(const std::string& section, const std::string& entry, int value) override {
    entries[section + "/" + entry] = std::to_string(value);
    return true;
  }
  bool WriteString(const std::string& section, const std::string& entry,
                   const std::string& value) override {
    entries[section + "/" + entry] = value;
    return true;
  }
};

}  // namespace qlm::test
