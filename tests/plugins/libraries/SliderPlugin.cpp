// An example plug-in in C++, written against the declarations of docs/plugins.md alone: a
// horizontal slider. It shows its value (0 to 100) as a bar from the left edge, follows the
// mouse while the left button is held, goes back to 0 on a right click, and keeps a caption
// text for the scripts. SetParamA gives the bar's colour and SetParamB the background's (red,
// green, blue each); the object's string parameter, when it is a number, is the start value.
//
// Built with SLIDER_FUNCTION_STYLE it has no "CreateObject" and exports the calls instead,
// forwarded to one slider: the same class serves both calling styles.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "qlm_plugin_object.h"

namespace {

class Slider;

// Every slider of the library, so that the "Center" export reaches them.
std::vector<Slider*>& Sliders() {
  static std::vector<Slider*> all;
  return all;
}

std::uint32_t Rgb(std::int32_t r, std::int32_t g, std::int32_t b) {
  return (std::uint32_t(r & 0xFF) << 16) | (std::uint32_t(g & 0xFF) << 8) | std::uint32_t(b & 0xFF);
}

class Slider final : public QlmPluginObject {
 public:
  Slider() { Sliders().push_back(this); }
  ~Slider() { std::erase(Sliders(), this); }
  Slider(const Slider&) = delete;
  Slider& operator=(const Slider&) = delete;

  void Destroy(std::int32_t flag) override {
    if (flag & 1)
      delete this;
  }

  void SetString(const char* text) override {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end != text)
      SetData(static_cast<std::int32_t>(value));
  }
  void SetData(std::int32_t value) override { value_ = std::clamp(value, 0, 100); }
  std::int32_t GetData() override { return value_; }
  void SetFile(const char* file) override { caption_ = file; }
  const char* GetFile() override { return caption_.c_str(); }
  void SetParamA(std::int32_t r, std::int32_t g, std::int32_t b) override { bar_ = Rgb(r, g, b); }
  void SetParamB(std::int32_t r, std::int32_t g, std::int32_t b) override {
    background_ = Rgb(r, g, b);
  }
  void SetFrame(std::int32_t width, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                std::int32_t) override {
    width_ = width;
  }

  // The device context is the object's rectangle: pixel (0, 0) is its top-left corner.
  void Draw(qlm_surface* dc, std::int32_t, std::int32_t, std::int32_t width,
            std::int32_t) override {
    width_ = width;
    const std::int32_t filled = dc->width * value_ / 100;
    for (std::int32_t y = 0; y < dc->height; ++y) {
      std::uint32_t* row = dc->pixels + static_cast<std::ptrdiff_t>(y) * dc->stride;
      for (std::int32_t x = 0; x < dc->width; ++x)
        row[x] = x < filled ? bar_ : background_;
    }
  }

  // Buttons and moves: the value follows the pointer while the left button is down.
  std::int32_t CaptureMouse() override { return 2; }
  void MouseDown(std::int32_t x, std::int32_t) override {
    dragging_ = true;
    Follow(x);
  }
  void MouseMove(std::int32_t x, std::int32_t) override {
    if (dragging_)
      Follow(x);
  }
  void MouseUp(std::int32_t x, std::int32_t) override {
    if (dragging_)
      Follow(x);
    dragging_ = false;
  }
  void RMouseUp(std::int32_t, std::int32_t) override { value_ = 0; }

 private:
  void Follow(std::int32_t x) {
    if (width_ > 0)
      SetData(x * 100 / width_);
  }

  std::int32_t value_ = 0;
  std::int32_t width_ = 0;
  bool dragging_ = false;
  std::uint32_t bar_ = 0x000080;
  std::uint32_t background_ = 0xC0C0C0;
  std::string caption_;
};

}  // namespace

QLM_PLUGIN_EXPORT const char* GetInfo() {
  return "Slider: a value from 0 to 100 set with the mouse";
}
QLM_PLUGIN_EXPORT std::int32_t GetType() {
  return 1;
}
// For PluginRun: every slider to the middle.
QLM_PLUGIN_EXPORT void Center() {
  for (Slider* s : Sliders())
    s->SetData(50);
}
// How many sliders exist (the player destroys them with the project).
QLM_PLUGIN_EXPORT std::int32_t SliderCount() {
  return static_cast<std::int32_t>(Sliders().size());
}

#ifndef SLIDER_FUNCTION_STYLE

QLM_PLUGIN_EXPORT QlmPluginObject* CreateObject() {
  return new Slider;
}

#else

namespace {
Slider& TheSlider() {
  static Slider slider;
  return slider;
}
}  // namespace

QLM_PLUGIN_EXPORT std::int32_t CaptureMouse() {
  return TheSlider().CaptureMouse();
}
QLM_PLUGIN_EXPORT void SetString(const char* text) {
  TheSlider().SetString(text);
}
QLM_PLUGIN_EXPORT void SetData(std::int32_t value) {
  TheSlider().SetData(value);
}
QLM_PLUGIN_EXPORT std::int32_t GetData() {
  return TheSlider().GetData();
}
QLM_PLUGIN_EXPORT void SetFile(const char* file) {
  TheSlider().SetFile(file);
}
QLM_PLUGIN_EXPORT const char* GetFile() {
  return TheSlider().GetFile();
}
QLM_PLUGIN_EXPORT void Draw(qlm_surface* dc, std::int32_t left, std::int32_t top,
                            std::int32_t width, std::int32_t height) {
  TheSlider().Draw(dc, left, top, width, height);
}
QLM_PLUGIN_EXPORT void MouseDown(std::int32_t x, std::int32_t y) {
  TheSlider().MouseDown(x, y);
}
QLM_PLUGIN_EXPORT void MouseMove(std::int32_t x, std::int32_t y) {
  TheSlider().MouseMove(x, y);
}
QLM_PLUGIN_EXPORT void MouseUp(std::int32_t x, std::int32_t y) {
  TheSlider().MouseUp(x, y);
}
QLM_PLUGIN_EXPORT void RMouseUp(std::int32_t x, std::int32_t y) {
  TheSlider().RMouseUp(x, y);
}

#endif
