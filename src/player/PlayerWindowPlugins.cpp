// The player window's plug-in objects: their hosts are set up when their page is first shown
// and live as long as the project; the window draws them through the paint runtime, forwards
// the mouse to them and lets scripts reach them.
#include <algorithm>

#include "graphics/Canvas.h"
#include "platform/FileSystem.h"
#include "player/PlayerWindow.h"
#include "plugins/PluginObjectFields.h"
#include "script/FindObject.h"

namespace qlm {

// The window's side of drawing plug-in objects.
class PlayerWindow::PluginPainter : public PaintRuntime {
 public:
  explicit PluginPainter(PlayerWindow& window) : window_(window) {}

  bool DrawPlugIn(const ObjectRecord& object, Canvas& canvas, const IntRect& rect) override {
    PluginHost* host = window_.plugins_.Find(object);
    return host && host->Draw(canvas, rect);
  }
  std::string PlugInFileName(const ObjectRecord& object) override {
    return window_.macros_.Expand(object.text);
  }

 private:
  PlayerWindow& window_;
};

void PlayerWindow::InitPlugins() {
  pluginPainter_ = std::make_unique<PluginPainter>(*this);
  paintRuntime_.SetPlugInPainter(pluginPainter_.get());
  RegisterPluginCommands(*runner_, plugins_);
}

std::vector<std::string> PlayerWindow::PluginFolders() {
  std::vector<std::string> folders = pluginFolders_;
  std::string source = macros_.Expand("<SrcDir>");
  while (!source.empty() && (source.back() == '\\' || source.back() == '/'))
    source.pop_back();
  if (!source.empty() && std::find(folders.begin(), folders.end(), source) == folders.end())
    folders.push_back(std::move(source));
  return folders;
}

std::unique_ptr<TransitionPlugin> PlayerWindow::MakeTransitionPlugin() {
  return std::make_unique<TransitionPlugin>(*libraries_, ctx_.files);
}

void PlayerWindow::SetUpPlugins() {
  for (PageRecord* page : InputLayers(pages_)) {
    if (!page)
      continue;
    for (ObjectRecord& object : page->objects) {
      if (object.typeCode == kObjPlugIn && !plugins_.Find(object))
        SetUpPlugin(object);
    }
  }
}

void PlayerWindow::SetUpPlugin(ObjectRecord& object) {
  PluginHost& host = plugins_.Add(object, std::make_unique<PluginHost>(*libraries_, ctx_.files));
  PluginSetup setup;
  setup.path = macros_.Expand(object.text);
  if (!host.Load(setup.path, PluginFolders()))
    return;  // drawn as "Can't find" with the file name
  setup.window = WindowExists() ? reinterpret_cast<qlm_window*>(this) : nullptr;
  setup.findLinkRect = [this](const std::string& name) -> std::optional<IntRect> {
    if (name.empty() || !WindowExists())
      return std::nullopt;
    const ObjectTarget target = FindObject(pages_, Variables(), name);
    if (!target.object)
      return std::nullopt;
    return target.object->rect;
  };
  FillPluginParameters(object, setup);
  setup.frame = objectStates_.RectOf(object);
  host.SetUp(setup);
}

void PlayerWindow::ForwardPluginMouse(ObjectRecord& object, PluginMouse event, int x, int y) {
  if (object.typeCode == kObjBrowser && event == PluginMouse::kUp) {
    const IntRect r = objectStates_.RectOf(object);
    browsers_->Click(object, x - r.left, y - r.top);
    return;
  }
  if (object.typeCode != kObjPlugIn)
    return;
  PluginHost* host = plugins_.Find(object);
  if (!host || !host->Loaded())
    return;
  const int needed = event == PluginMouse::kMove ? QLM_CAPTURE_MOVES : QLM_CAPTURE_BUTTONS;
  if (host->MouseCapture() < needed)
    return;
  const IntRect r = objectStates_.RectOf(object);
  const int32_t px = x - r.left, py = y - r.top;
  switch (event) {
    case PluginMouse::kDown:
      host->MouseDown(px, py);
      break;
    case PluginMouse::kUp:
      host->MouseUp(px, py);
      break;
    case PluginMouse::kRightDown:
      host->RMouseDown(px, py);
      break;
    case PluginMouse::kRightUp:
      host->RMouseUp(px, py);
      break;
    case PluginMouse::kMove:
      host->MouseMove(px, py);
      break;
  }
  Invalidate(r, true);
}

}  // namespace qlm
