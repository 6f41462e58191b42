#include "platform/host/ModuleBrowserEngine.h"

#include "platform/host/ModuleLibrary.h"

#include "browsermodule/BrowserModule.h"

namespace qlm {

namespace {

class ModuleBrowserView : public BrowserView {
 public:
  ModuleBrowserView(const QlmBrowserApi& api, Events events)
      : api_(api), events_(std::move(events)) {}
  ~ModuleBrowserView() override { api_.destroy(view_); }

  bool Make(int width, int height) {
    QlmBrowserCallbacks callbacks{this, &ModuleBrowserView::Decide, &ModuleBrowserView::Changed,
                                  events_.network ? 1 : 0, &ModuleBrowserView::Printed};
    view_ = api_.create(width, height, &callbacks);
    width_ = width;
    height_ = height;
    return view_ != nullptr;
  }

  void Open(const std::string& url) override { api_.load(view_, url.c_str()); }
  void Back() override { api_.back(view_); }
  void Forward() override { api_.forward(view_); }
  void Reload() override { api_.reload(view_); }
  void Stop() override { api_.stop(view_); }
  bool PrintToPdf(const std::string& hostPath) override {
    return api_.print_pdf(view_, hostPath.c_str()) != 0;
  }
  void Resize(int width, int height) override {
    if (width <= 0 || height <= 0 || width > QLM_BROWSER_MAX_SIDE || height > QLM_BROWSER_MAX_SIDE)
      return;
    api_.resize(view_, width, height);
    width_ = width;
    height_ = height;
  }
  bool Snapshot(ArgbImage& image) override {
    image.width = width_;
    image.height = height_;
    image.pixels.assign(size_t(width_) * size_t(height_), 0);
    return api_.snapshot(view_, image.pixels.data(), width_, height_) != 0;
  }
  void Click(int x, int y) override { api_.click(view_, x, y); }
  void Scroll(int x, int y, int lines) override { api_.scroll(view_, x, y, lines); }
  void Focus(bool on) override { api_.focus(view_, on ? 1 : 0); }
  void Key(uint32_t virtualKey, const Modifiers& modifiers, bool down) override {
    const uint32_t bits = (modifiers.shift ? QLM_BROWSER_SHIFT : 0u) |
                          (modifiers.ctrl ? QLM_BROWSER_CONTROL : 0u) |
                          (modifiers.alt ? QLM_BROWSER_ALT : 0u);
    api_.key(view_, virtualKey, bits, down ? 1 : 0);
  }
  void Type(const std::string& utf8) override { api_.type(view_, utf8.c_str()); }
  std::string Address() override { return api_.uri(view_); }

 private:
  static int Decide(void* user, const char* url) {
    auto* self = static_cast<ModuleBrowserView*>(user);
    return self->events_.decide && self->events_.decide(url) ? 1 : 0;
  }
  static void Changed(void* user) {
    auto* self = static_cast<ModuleBrowserView*>(user);
    if (self->events_.changed)
      self->events_.changed();
  }
  static void Printed(void* user, int ok) {
    auto* self = static_cast<ModuleBrowserView*>(user);
    if (self->events_.printed)
      self->events_.printed(ok != 0);
  }

  const QlmBrowserApi& api_;
  Events events_;
  QlmBrowser* view_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace

void ModuleBrowserEngine::Load() {
  tried_ = true;
  std::string error;
  const auto entry = reinterpret_cast<QlmBrowserApiEntry>(
      LoadModuleSymbol(folders_, kModuleName, QLM_BROWSER_API_SYMBOL, error));
  const QlmBrowserApi* api = entry ? entry() : nullptr;
  if (api && api->init() == 0) {
    api = nullptr;
    error = "no display for the web engine";
  }
  api_ = api;
  if (!api_ && failed_)
    failed_(error);
}

std::unique_ptr<BrowserView> ModuleBrowserEngine::Create(int width, int height,
                                                         BrowserView::Events events) {
  if (width <= 0 || height <= 0 || width > QLM_BROWSER_MAX_SIDE || height > QLM_BROWSER_MAX_SIDE)
    return nullptr;
  if (!tried_)
    Load();
  if (!api_)
    return nullptr;
  auto view = std::make_unique<ModuleBrowserView>(*api_, std::move(events));
  if (!view->Make(width, height))
    return nullptr;
  return view;
}

void ModuleBrowserEngine::Pump() {
  if (api_)
    api_->pump(kPumpIterations);
}

}  // namespace qlm
