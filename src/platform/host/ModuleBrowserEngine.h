#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/BrowserEngine.h"

struct QlmBrowserApi;

namespace qlm {

// Browser views from the player's browser module (qlm_browser.so, WebKitGTK), loaded from the
// first of the given folders that holds it the first time a view is made, and its display
// opened then. Without the module or a display no view is made.
class ModuleBrowserEngine : public BrowserEngine {
 public:
  static constexpr const char* kModuleName = "qlm_browser.so";
  // Pieces of the engine's work each Pump runs at most, so that a busy page cannot hold up
  // the player.
  static constexpr int kPumpIterations = 64;

  // `failed` hears once why no view can be made (may be empty).
  explicit ModuleBrowserEngine(std::vector<std::filesystem::path> folders,
                               std::function<void(const std::string&)> failed = {})
      : folders_(std::move(folders)), failed_(std::move(failed)) {}

  std::unique_ptr<BrowserView> Create(int width, int height, BrowserView::Events events) override;
  void Pump() override;

 private:
  void Load();

  std::vector<std::filesystem::path> folders_;
  std::function<void(const std::string&)> failed_;
  const QlmBrowserApi* api_ = nullptr;
  bool tried_ = false;
};

}  // namespace qlm
