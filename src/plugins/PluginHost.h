#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graphics/Geometry.h"
#include "platform/Libraries.h"
#include "plugins/qlm_plugin.h"

namespace qlm {

class Canvas;
class FileSystem;

// What a plug-in object hands its plug-in at set-up.
struct PluginSetup {
  qlm_window* window = nullptr;  // the player window, or null when there is none
  // The rectangle (window coordinates) of the object a plug-in's GetLinkName names, or
  // nullopt when there is no such object or no window.
  std::function<std::optional<IntRect>(const std::string& name)> findLinkRect;
  std::array<int32_t, 3> paramA{};
  std::array<int32_t, 3> paramB{};
  std::array<int32_t, 3> paramC{};
  std::string intString;
  std::string string;
  std::string path;  // the library's file name as the object names it, path macros expanded
  IntRect frame;     // the object's rectangle moved by its offset
};

// One plug-in object's library: loading from the player's folders, the information exports,
// and every call the player makes into it, in the object style (through the interface object
// "CreateObject" returned) or the function style (through exports looked up at each call).
// Calls that the plug-in does not provide are skipped. Destroying the host destroys the
// interface object first, then unloads the library.
class PluginHost {
 public:
  PluginHost(Libraries& libraries, const FileSystem& files);
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Frees a loaded library, then tries the three places of `fileName` for each folder in turn
  // (the first folder counts for a name with a backslash) and keeps the first library that
  // loads. On success the information exports are read and the interface object is created.
  bool Load(const std::string& fileName, const std::vector<std::string>& folders);
  void Unload();

  bool Loaded() const { return library_ != nullptr; }
  bool ObjectStyle() const { return object_ != nullptr; }
  // Why the last load failed (the loader's reason for the last path tried).
  const std::string& LastError() const { return lastError_; }
  const std::filesystem::path& LoadedPath() const { return loadedPath_; }
  int32_t Type() const { return type_; }
  const std::string& Info() const { return info_; }
  const std::string& Copyright() const { return copyright_; }
  const std::string& ShortInfo() const { return shortInfo_; }
  int32_t MouseCapture() const { return mouseCapture_; }

  // The set-up calls in their order, after a successful Load.
  void SetUp(const PluginSetup& setup);

  // Lets the plug-in draw the rectangle `rect` (window coordinates) of `canvas`: it receives a
  // buffer of exactly the rectangle holding what is there now, and what lies inside the
  // canvas's clip is copied back. False only when no library is loaded.
  bool Draw(Canvas& canvas, const IntRect& rect);

  // Mouse events at a position relative to the object's top-left corner. The capture level
  // is the caller's to check.
  void MouseDown(int32_t x, int32_t y);
  void MouseUp(int32_t x, int32_t y);
  void RMouseDown(int32_t x, int32_t y);
  void RMouseUp(int32_t x, int32_t y);
  void MouseMove(int32_t x, int32_t y);

  // The exchange with scripts; "" and 0 when the plug-in provides nothing.
  void SetFile(const std::string& file);
  std::string GetFile();
  void SetData(int32_t value);
  int32_t GetData();
  // Calls the export of that name without arguments; false when there is none. Only exports,
  // whatever the style.
  bool RunExport(const std::string& name);

  // The address of an export, or null.
  void* Export(const std::string& name) const;

 private:
  // The object's slot `member`, or null when the entry is empty.
  template <typename F>
  F Slot(F qlm_plugin_vtable::*member) const;
  void Mouse(void (*qlm_plugin_vtable::*member)(qlm_plugin_object*, int32_t, int32_t),
             const char* name, int32_t x, int32_t y);
  void SetText(void (*qlm_plugin_vtable::*member)(qlm_plugin_object*, const char*),
               const char* name, const std::string& text);
  std::string GetText(const char* (*qlm_plugin_vtable::*member)(qlm_plugin_object*),
                      const char* name);
  void ReadInformation();

  Libraries& libraries_;
  const FileSystem& files_;
  std::unique_ptr<LoadedLibrary> library_;
  std::filesystem::path loadedPath_;
  qlm_plugin_object* object_ = nullptr;
  std::string lastError_;
  int32_t type_ = -1;
  std::string info_ = "Unknown Interface";
  std::string copyright_ = "Unknown Copyright";
  std::string shortInfo_ = "Unknown";
  int32_t mouseCapture_ = 0;
};

// A text a plug-in returned, copied; null is the empty text.
std::string PluginText(const char* text);

}  // namespace qlm
