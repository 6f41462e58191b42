#pragma once

// Builds the projects of the end-to-end cases from a few lines of text:
//
//   title Demo                  window title
//   size 320 240                client size
//   remember-position Show      keep "X" and "Y" in the profile section Show
//   page Intro                  a new page (later lines fill it)
//   masterpage | masterlayer    later lines fill the Master Page or the Master Layer
//   color 0x0000FF              background colour (0x00BBGGRR) of the page being filled
//   transition T D              transition type and duration (ms) used when that page is left
//   enter LINE | leave LINE     a line of the page's enter or exit script
//   object KIND NAME L T R B [TEXT]
//   script LINE                 a line of the last object's main script
//   hidden                      the last object starts hidden
//   value N V                   object value N of the last object (action code 0, cursor 18 ...)
//   string N TEXT               object string N of the last object (action target 1 ...)
//   imagevalue N V              image value N of the last object (shortcut fields 1 to 3)
//   colour N V                  colour N (1 to 3, 0x00BBGGRR) of the last object
//   font HEIGHT FACE            the last object's font: logical height and face name
//   image N W H COLOR           state image N (1 to 3) of the last object: W x H pixels of one
//                               colour (0x00BBGGRR)
//   tooltip TEXT                the last object's tool-tip text
//   gif ID W H D:COLOR... [loop N]  GIF bytes and timer id of the last object: W x H frames of
//                               one colour (0x00BBGGRR) each, shown D hundredths of a second
//   metafile W H                the last object's metafile: W x H units, a red rectangle on the
//                               left half, a green circle top right, a blue triangle below it
//   sound KIND NAME TEXT        an embedded-sound entry holding TEXT
//
// Scripts are compiled with the player's compiler; a line that does not compile fails the test.

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>

#include "document/Project.h"
#include "document/ProjectWriter.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptCompiler.h"
#include "support/EmfFile.h"
#include "support/GifFile.h"
#include "support/RecordingDialogs.h"

namespace qlm::test {

inline Project BuildProjectFromSpec(const std::string& spec) {
  Project project;
  project.pages.clear();
  PageRecord* page = nullptr;
  ObjectRecord* object = nullptr;
  // Bodies are addressed by (page kind, page index, object index, slot) so that later
  // push_backs cannot leave a dangling pointer.
  struct BodyRef {
    int pageKind;  // 0 list, 1 master page, 2 master layer
    size_t pageIndex;
    long objectIndex;  // -1: page script
    int slot;          // page: 0 enter, 1 exit; object: script index
    std::string text;
  };
  std::vector<BodyRef> bodies;
  int pageKind = -1;
  auto pageRef = [&]() -> PageRecord* {
    if (pageKind == 1)
      return &project.masterPage;
    if (pageKind == 2)
      return &project.masterLayer;
    if (pageKind == 0 && !project.pages.empty())
      return &project.pages.back();
    throw std::runtime_error("no page to fill");
  };
  auto addLine = [&](long objectIndex, int slot, const std::string& line) {
    const size_t pageIndex = pageKind == 0 ? project.pages.size() - 1 : 0;
    for (BodyRef& b : bodies) {
      if (b.pageKind == pageKind && b.pageIndex == pageIndex && b.objectIndex == objectIndex &&
          b.slot == slot) {
        b.text += line + "\r\n";
        return;
      }
    }
    bodies.push_back({pageKind, pageIndex, objectIndex, slot, line + "\r\n"});
  };

  std::istringstream in(spec);
  std::string raw;
  while (std::getline(in, raw)) {
    if (!raw.empty() && raw.back() == '\r')
      raw.pop_back();
    std::istringstream words(raw);
    std::string key;
    words >> key;
    if (key.empty() || key[0] == '#')
      continue;
    std::string rest;
    std::getline(words >> std::ws, rest);
    if (key == "title") {
      project.settings.title = rest;
    } else if (key == "size") {
      std::istringstream(rest) >> project.settings.clientWidth >> project.settings.clientHeight;
    } else if (key == "remember-position") {
      project.settings.rememberPosition = 1;
      project.settings.profileSection = rest;
    } else if (key == "page") {
      project.pages.emplace_back();
      project.pages.back().name = rest;
      pageKind = 0;
      object = nullptr;
    } else if (key == "masterpage" || key == "masterlayer") {
      pageKind = key == "masterpage" ? 1 : 2;
      object = nullptr;
    } else if (key == "color") {
      pageRef()->backgroundColour = static_cast<uint32_t>(std::stoul(rest, nullptr, 0));
    } else if (key == "transition") {
      int32_t type = 0, duration = 0;
      std::istringstream(rest) >> type >> duration;
      pageRef()->transitionType = static_cast<uint32_t>(type);
      pageRef()->transitionDuration = static_cast<uint32_t>(duration);
    } else if (key == "enter" || key == "leave") {
      addLine(-1, key == "enter" ? 0 : 1, rest);
    } else if (key == "object") {
      page = pageRef();
      ObjectRecord o = ObjectRecord::Fresh();
      o.extended = true;  // only extended records store the main script
      std::istringstream f(rest);
      f >> o.typeCode >> o.name >> o.rect.left >> o.rect.top >> o.rect.right >> o.rect.bottom;
      std::getline(f >> std::ws, o.text);
      page->objects.push_back(std::move(o));
      object = &page->objects.back();
    } else if (key == "script") {
      if (!object)
        throw std::runtime_error("script line before any object");
      addLine(static_cast<long>(pageRef()->objects.size() - 1), 2, rest);
    } else if (key == "hidden") {
      if (!object)
        throw std::runtime_error("hidden before any object");
      object->values[10] = 1;
    } else if (key == "font") {
      if (!object)
        throw std::runtime_error("font before any object");
      std::istringstream f(rest);
      f >> object->font.height;
      std::getline(f >> std::ws, object->font.faceName);
    } else if (key == "value" || key == "string" || key == "imagevalue" || key == "tooltip" ||
               key == "colour") {
      if (!object)
        throw std::runtime_error(key + " before any object");
      std::istringstream f(rest);
      size_t n = 0;
      if (key != "tooltip" && !(f >> n))
        throw std::runtime_error("no field number: " + raw);
      std::string value;
      std::getline(f >> std::ws, value);
      if (key == "tooltip") {
        object->hasSecondText = 1;
        object->secondText = value;
      } else if (key == "string" && n >= 1 && n < object->strings.size()) {
        object->strings[n] = value;
      } else if (key == "value" && n < object->values.size()) {
        object->values[n] = static_cast<uint32_t>(std::stoul(value, nullptr, 0));
      } else if (key == "colour" && n >= 1 && n < object->colours.size()) {
        object->colours[n] = static_cast<uint32_t>(std::stoul(value, nullptr, 0));
      } else if (key == "imagevalue" && n >= 1 && n < object->imageValues.size()) {
        object->imageValues[n] = static_cast<uint32_t>(std::stoul(value, nullptr, 0));
      } else {
        throw std::runtime_error("no such field: " + raw);
      }
    } else if (key == "image") {
      if (!object)
        throw std::runtime_error("image before any object");
      size_t n = 0;
      uint32_t w = 0, h = 0;
      std::string colour;
      std::istringstream(rest) >> n >> w >> h >> colour;
      if (n < 1 || n > 3 || colour.empty())
        throw std::runtime_error("bad image line: " + raw);
      const uint32_t c = static_cast<uint32_t>(std::stoul(colour, nullptr, 0));
      ObjectImage& slot = object->stateImages[n];
      slot.present = true;
      slot.stored.data.image = {w, h, {}};
      for (uint32_t i = 0; i < w * h; ++i) {
        slot.stored.data.image.pixels.insert(
            slot.stored.data.image.pixels.end(),
            {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)});
      }
    } else if (key == "gif") {
      if (!object)
        throw std::runtime_error("gif before any object");
      std::istringstream f(rest);
      uint32_t w = 0, h = 0;
      f >> object->gifTimerId >> w >> h;
      std::vector<uint32_t> palette;
      std::vector<GifFrameSpec> frames;
      std::optional<uint16_t> loop;
      for (std::string word; f >> word;) {
        if (word == "loop") {
          int n = 0;
          f >> n;
          loop = static_cast<uint16_t>(n);
          continue;
        }
        const size_t colon = word.find(':');
        if (colon == std::string::npos)
          throw std::runtime_error("bad gif frame: " + raw);
        palette.push_back(static_cast<uint32_t>(std::stoul(word.substr(colon + 1), nullptr, 0)));
        frames.push_back(SolidGifFrame(0, 0, w, h, static_cast<uint8_t>(palette.size() - 1),
                                       std::stoi(word.substr(0, colon))));
      }
      while (palette.size() < 2 || (palette.size() & (palette.size() - 1)) != 0)
        palette.push_back(0);
      object->gifData = EncodeGif(w, h, palette, frames, loop);
      if (object->gifData.empty())
        throw std::runtime_error("gif not written: " + raw);
    } else if (key == "metafile") {
      if (!object)
        throw std::runtime_error("metafile before any object");
      int16_t w = 0, h = 0;
      std::istringstream(rest) >> w >> h;
      EmfBuilder emf(w, h);
      emf.Pen(5, 0, 0)
          .Brush(0x0000FF)
          .Rectangle(0, 0, w / 2, h)
          .Brush(0x00FF00)
          .Ellipse(w / 2, 0, w, h / 2)
          .Brush(0xFF0000)
          .Polygon({{static_cast<int16_t>(w / 2), h},
                    {w, h},
                    {static_cast<int16_t>(w * 3 / 4), static_cast<int16_t>(h / 2)}});
      object->hasMetafile = true;
      object->metafile = emf.Finish();
    } else if (key == "sound") {
      EmbeddedSound s;
      std::istringstream f(rest);
      f >> s.kind >> s.name;
      std::string text;
      std::getline(f >> std::ws, text);
      s.data.bytes.assign(text.begin(), text.end());
      project.sounds.push_back(std::move(s));
    } else {
      throw std::runtime_error("unknown project line: " + raw);
    }
  }
  project.storedPageCount = static_cast<uint32_t>(project.pages.size());

  EvaluatorSyntaxChecker checker;
  RecordingDialogs dialogs;
  ScriptCompiler compiler(checker, dialogs);
  for (const BodyRef& b : bodies) {
    PageRecord& p = b.pageKind == 1   ? project.masterPage
                    : b.pageKind == 2 ? project.masterLayer
                                      : project.pages[b.pageIndex];
    ScriptBody& body = b.objectIndex < 0
                           ? (b.slot == 0 ? p.enterScript : p.exitScript)
                           : p.objects[static_cast<size_t>(b.objectIndex)].scripts[b.slot];
    if (!compiler.CompileScript(body, b.text, true) || !dialogs.boxes.empty()) {
      throw std::runtime_error("script does not compile: " + b.text +
                               (dialogs.boxes.empty() ? "" : " (" + dialogs.boxes[0].text + ")"));
    }
  }
  return project;
}

}  // namespace qlm::test
