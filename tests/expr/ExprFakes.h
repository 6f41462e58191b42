#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "expr/EvaluatorOwner.h"
#include "platform/ProfileStore.h"
#include "platform/host/DiskFileSystem.h"
#include "support/RecordingDialogs.h"

namespace qlm::test {

// An owner window with fixed answers.
class FakeOwner : public EvaluatorOwner {
 public:
  void MousePosition(int& x, int& y) const override {
    x = mouseX;
    y = mouseY;
  }
  bool IsMouseButtonDown(MouseButton button) const override {
    return std::find(buttons.begin(), buttons.end(), button) != buttons.end();
  }
  WindowMetrics Metrics() const override { return metrics; }
  bool IsMinimized() const override { return minimized; }
  SystemInformation SystemInfo() const override { return system; }
  std::optional<ObjectInfo> FindObjectInfo(const std::string& name) const override {
    auto it = objects.find(name);
    if (it == objects.end())
      return std::nullopt;
    return it->second;
  }
  int PlayListCount() const override { return static_cast<int>(playList.size()); }
  std::string PlayListItem(int index) const override {
    return playList.at(static_cast<size_t>(index - 1));
  }
  std::string RunningObjectName() const override { return runningObject; }
  Dialogs& GetDialogs() override { return dialogs; }

  int mouseX = 0, mouseY = 0;
  std::vector<MouseButton> buttons;
  WindowMetrics metrics;
  bool minimized = false;
  SystemInformation system;
  std::map<std::string, ObjectInfo> objects;
  std::vector<std::string> playList;
  std::string runningObject;
  RecordingDialogs dialogs;
};

// Paths are host paths already; backslashes become slashes.
class PassThroughFileSystem : public DiskFileSystem {
 public:
  std::filesystem::path ToHost(const std::string& windowsPath) const override {
    std::string p = windowsPath;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
  }
  std::string ToWindows(const std::filesystem::path& hostPath) const override {
    return hostPath.string();
  }
};

// Profile entries kept in memory; integers and texts share one entry space as in an INI file.
class MemoryProfileStore : public ProfileStore {
 public:
  int GetInt(const std::string& section, const std::string& entry, int fallback) const override {
    auto it = values.find({section, entry});
    return it == values.end() ? fallback : std::stoi(it->second);
  }
  std::string GetString(const std::string& section, const std::string& entry,
                        const std::string& fallback) const override {
    auto it = values.find({section, entry});
    return it == values.end() ? fallback : it->second;
  }
  bool WriteInt(const std::string& section, const std::string& entry, int value) override {
    values[{section, entry}] = std::to_string(value);
    return true;
  }
  bool WriteString(const std::string& section, const std::string& entry,
                   const std::string& value) override {
    values[{section, entry}] = value;
    return true;
  }

  std::map<std::pair<std::string, std::string>, std::string> values;
};

// A fresh folder under the system temp folder, removed at the end of the test.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qlm_expr_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace qlm::test
