#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "graphics/MetafileRenderer.h"

namespace qlm {

// Draws metafiles with the player's metafile module (qlm_metafile.so), loaded from the first of
// the given folders that holds it the first time a metafile is drawn. Without the module every
// metafile draws nothing. The module is never unloaded: librsvg registers GObject types that
// outlive an unload, and loading it again would register them twice.
class ModuleMetafileRenderer : public MetafileRenderer {
 public:
  static constexpr const char* kModuleName = "qlm_metafile.so";
  // The longest a single picture may take to convert before it is given up.
  static constexpr std::chrono::milliseconds kTimeLimit{5000};

  // `failed` hears once why the module did not load (may be empty).
  explicit ModuleMetafileRenderer(std::vector<std::filesystem::path> folders,
                                  std::function<void(const std::string&)> failed = {})
      : folders_(std::move(folders)), failed_(std::move(failed)) {}

  std::optional<ArgbImage> Render(std::span<const uint8_t> metafile, int width,
                                  int height) override;

  // Whether the module was looked for, and why it did not load.
  bool Tried() const { return tried_; }
  bool Loaded() const { return render_ != nullptr; }
  const std::string& LoadError() const { return error_; }

 private:
  void Load();

  std::vector<std::filesystem::path> folders_;
  std::function<void(const std::string&)> failed_;
  void* render_ = nullptr;
  bool tried_ = false;
  std::string error_;
};

}  // namespace qlm
