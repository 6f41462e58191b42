#include "plugins/PluginHost.h"

#include <algorithm>
#include <cstddef>

#include "graphics/Canvas.h"
#include "graphics/Surface.h"
#include "plugins/PluginFileName.h"

namespace qlm {

namespace {

template <typename F>
F ExportAs(const PluginHost& host, const char* name) {
  return reinterpret_cast<F>(host.Export(name));
}

// The table is the virtual function table of a C++ object: one code pointer per slot.
constexpr size_t SlotOffset(size_t slot) {
  return slot * sizeof(void (*)());
}
static_assert(sizeof(qlm_plugin_vtable) == SlotOffset(QLM_PLUGIN_SLOTS));
static_assert(offsetof(qlm_plugin_vtable, SetString) == SlotOffset(1));
static_assert(offsetof(qlm_plugin_vtable, SetIntString) == SlotOffset(3));
static_assert(offsetof(qlm_plugin_vtable, SetData) == SlotOffset(4));
static_assert(offsetof(qlm_plugin_vtable, GetData) == SlotOffset(5));
static_assert(offsetof(qlm_plugin_vtable, SetParentWindow) == SlotOffset(6));
static_assert(offsetof(qlm_plugin_vtable, Draw) == SlotOffset(7));
static_assert(offsetof(qlm_plugin_vtable, SetValue) == SlotOffset(8));
static_assert(offsetof(qlm_plugin_vtable, SetFrame) == SlotOffset(9));
static_assert(offsetof(qlm_plugin_vtable, SetParamC) == SlotOffset(10));
static_assert(offsetof(qlm_plugin_vtable, SetParamB) == SlotOffset(11));
static_assert(offsetof(qlm_plugin_vtable, SetParamA) == SlotOffset(12));
static_assert(offsetof(qlm_plugin_vtable, MouseMove) == SlotOffset(14));
static_assert(offsetof(qlm_plugin_vtable, MouseUp) == SlotOffset(15));
static_assert(offsetof(qlm_plugin_vtable, MouseDown) == SlotOffset(16));
static_assert(offsetof(qlm_plugin_vtable, CaptureMouse) == SlotOffset(19));
static_assert(offsetof(qlm_plugin_vtable, Destroy) == SlotOffset(21));
static_assert(offsetof(qlm_plugin_vtable, GetFile) == SlotOffset(22));
static_assert(offsetof(qlm_plugin_vtable, SetFile) == SlotOffset(23));
static_assert(offsetof(qlm_plugin_vtable, RMouseUp) == SlotOffset(24));
static_assert(offsetof(qlm_plugin_vtable, RMouseDown) == SlotOffset(25));
static_assert(offsetof(qlm_plugin_vtable, GetLinkName) == SlotOffset(26));
static_assert(offsetof(qlm_plugin_vtable, SetLinkRect) == SlotOffset(27));

}  // namespace

std::string PluginText(const char* text) {
  return text ? std::string(text) : std::string();
}

PluginHost::PluginHost(Libraries& libraries, const FileSystem& files)
    : libraries_(libraries), files_(files) {}

PluginHost::~PluginHost() {
  Unload();
}

void PluginHost::Unload() {
  if (object_) {
    // The object deletes itself: it is forgotten before the call.
    auto destroy = Slot(&qlm_plugin_vtable::Destroy);
    qlm_plugin_object* object = object_;
    object_ = nullptr;
    if (destroy)
      destroy(object, QLM_DESTROY_DELETE);
  }
  library_.reset();
  loadedPath_.clear();
}

void* PluginHost::Export(const std::string& name) const {
  return library_ ? library_->Symbol(name) : nullptr;
}

template <typename F>
F PluginHost::Slot(F qlm_plugin_vtable::*member) const {
  if (!object_ || !object_->vtable)
    return nullptr;
  return object_->vtable->*member;
}

bool PluginHost::Load(const std::string& fileName, const std::vector<std::string>& folders) {
  Unload();
  type_ = -1;
  info_ = "Unknown Interface";
  copyright_ = "Unknown Copyright";
  shortInfo_ = "Unknown";
  library_ = LoadPluginLibrary(libraries_, files_, fileName, folders, lastError_, &loadedPath_);
  if (!library_)
    return false;
  ReadInformation();
  return true;
}

void PluginHost::ReadInformation() {
  if (auto f = ExportAs<qlm_get_type_fn>(*this, "GetType"))
    type_ = f();
  if (auto f = ExportAs<qlm_get_text_fn>(*this, "GetInfo"))
    info_ = PluginText(f());
  if (auto f = ExportAs<qlm_get_text_fn>(*this, "Copyright"))
    copyright_ = PluginText(f());
  if (auto f = ExportAs<qlm_get_text_fn>(*this, "GetShortInfo"))
    shortInfo_ = PluginText(f());
  if (auto create = ExportAs<qlm_create_object_fn>(*this, "CreateObject")) {
    object_ = create();
    if (object_) {
      if (auto capture = Slot(&qlm_plugin_vtable::CaptureMouse))
        mouseCapture_ = capture(object_);
    }
  } else if (auto capture = ExportAs<qlm_capture_mouse_fn>(*this, "CaptureMouse")) {
    mouseCapture_ = capture();
  }
}

void PluginHost::SetUp(const PluginSetup& setup) {
  if (!Loaded())
    return;
  if (object_) {
    if (auto f = Slot(&qlm_plugin_vtable::SetParentWindow))
      f(object_, setup.window);
  } else if (auto f = ExportAs<qlm_set_parent_fn>(*this, "SetParentWindow")) {
    f(setup.window);
  }
  if (object_) {
    const std::string link = GetText(&qlm_plugin_vtable::GetLinkName, nullptr);
    if (setup.findLinkRect) {
      if (std::optional<IntRect> r = setup.findLinkRect(link)) {
        if (auto f = Slot(&qlm_plugin_vtable::SetLinkRect)) {
          const qlm_rect rect{r->left, r->top, r->right, r->bottom};
          f(object_, &rect);
        }
      }
    }
    auto params = [&](auto member, const std::array<int32_t, 3>& p) {
      if (auto f = Slot(member))
        f(object_, p[0], p[1], p[2]);
    };
    params(&qlm_plugin_vtable::SetParamA, setup.paramA);
    params(&qlm_plugin_vtable::SetParamB, setup.paramB);
    params(&qlm_plugin_vtable::SetParamC, setup.paramC);
  }
  SetText(&qlm_plugin_vtable::SetIntString, "SetIntString", setup.intString);
  SetText(&qlm_plugin_vtable::SetString, "SetString", setup.string);
  if (auto f = ExportAs<qlm_set_text_fn>(*this, "SetPath"))
    f(setup.path.c_str());
  if (object_) {
    const IntRect& r = setup.frame;
    if (auto f = Slot(&qlm_plugin_vtable::SetFrame))
      f(object_, r.Width(), r.Height(), r.left, r.top, 0, 0);
    if (auto f = Slot(&qlm_plugin_vtable::SetValue))
      f(object_, 0.0f);
  }
}

bool PluginHost::Draw(Canvas& canvas, const IntRect& rect) {
  if (!Loaded())
    return false;
  auto method = Slot(&qlm_plugin_vtable::Draw);
  auto function = object_ ? nullptr : ExportAs<qlm_draw_fn>(*this, "Draw");
  // A library without Draw leaves the rectangle as it is: it was still drawn by its plug-in.
  if (!method && !function)
    return true;
  const int64_t w = rect.Width();
  const int64_t h = rect.Height();
  // The buffer is exactly the rectangle; one too large to back is not handed out at all.
  if (w <= 0 || h <= 0 || w * h > Surface::kMaxPixels)
    return true;
  Surface& target = canvas.Target();
  const IntPoint origin = canvas.Origin();
  std::vector<uint32_t> pixels(static_cast<size_t>(w * h), 0);
  const IntRect onCanvas = rect.Intersect(canvas.Bounds());
  for (int32_t y = onCanvas.top; y < onCanvas.bottom; ++y) {
    const uint32_t* src = target.Row(y - origin.y) + (onCanvas.left - origin.x);
    std::copy(src, src + onCanvas.Width(),
              pixels.data() + (y - rect.top) * w + (onCanvas.left - rect.left));
  }
  qlm_surface surface{pixels.data(), static_cast<int32_t>(w), static_cast<int32_t>(h),
                      static_cast<int32_t>(w)};
  if (method)
    method(object_, &surface, rect.left, rect.top, rect.Width(), rect.Height());
  else
    function(&surface, rect.left, rect.top, rect.Width(), rect.Height());
  const IntRect back = rect.Intersect(canvas.Clip());
  for (int32_t y = back.top; y < back.bottom; ++y) {
    uint32_t* dst = target.Row(y - origin.y) + (back.left - origin.x);
    const uint32_t* src = pixels.data() + (y - rect.top) * w + (back.left - rect.left);
    for (int32_t x = 0; x < back.Width(); ++x)
      dst[x] = src[x] & 0xFFFFFF;
  }
  return true;
}

void PluginHost::Mouse(void (*qlm_plugin_vtable::*member)(qlm_plugin_object*, int32_t, int32_t),
                       const char* name, int32_t x, int32_t y) {
  if (object_) {
    if (auto f = Slot(member))
      f(object_, x, y);
  } else if (auto f = ExportAs<qlm_mouse_fn>(*this, name)) {
    f(x, y);
  }
}

void PluginHost::MouseDown(int32_t x, int32_t y) {
  Mouse(&qlm_plugin_vtable::MouseDown, "MouseDown", x, y);
}
void PluginHost::MouseUp(int32_t x, int32_t y) {
  Mouse(&qlm_plugin_vtable::MouseUp, "MouseUp", x, y);
}
void PluginHost::RMouseDown(int32_t x, int32_t y) {
  Mouse(&qlm_plugin_vtable::RMouseDown, "RMouseDown", x, y);
}
void PluginHost::RMouseUp(int32_t x, int32_t y) {
  Mouse(&qlm_plugin_vtable::RMouseUp, "RMouseUp", x, y);
}
void PluginHost::MouseMove(int32_t x, int32_t y) {
  Mouse(&qlm_plugin_vtable::MouseMove, "MouseMove", x, y);
}

void PluginHost::SetText(void (*qlm_plugin_vtable::*member)(qlm_plugin_object*, const char*),
                         const char* name, const std::string& text) {
  if (object_) {
    if (auto f = Slot(member))
      f(object_, text.c_str());
  } else if (auto f = ExportAs<qlm_set_text_fn>(*this, name)) {
    f(text.c_str());
  }
}

std::string PluginHost::GetText(const char* (*qlm_plugin_vtable::*member)(qlm_plugin_object*),
                                const char* name) {
  if (object_) {
    auto f = Slot(member);
    return f ? PluginText(f(object_)) : std::string();
  }
  if (!name)
    return {};
  auto f = ExportAs<qlm_get_text_fn>(*this, name);
  return f ? PluginText(f()) : std::string();
}

void PluginHost::SetFile(const std::string& file) {
  SetText(&qlm_plugin_vtable::SetFile, "SetFile", file);
}

std::string PluginHost::GetFile() {
  return GetText(&qlm_plugin_vtable::GetFile, "GetFile");
}

void PluginHost::SetData(int32_t value) {
  if (object_) {
    if (auto f = Slot(&qlm_plugin_vtable::SetData))
      f(object_, value);
  } else if (auto f = ExportAs<qlm_set_data_fn>(*this, "SetData")) {
    f(value);
  }
}

int32_t PluginHost::GetData() {
  if (object_) {
    auto f = Slot(&qlm_plugin_vtable::GetData);
    return f ? f(object_) : 0;
  }
  auto f = ExportAs<qlm_get_data_fn>(*this, "GetData");
  return f ? f() : 0;
}

bool PluginHost::RunExport(const std::string& name) {
  auto f = reinterpret_cast<qlm_run_fn>(Export(name));
  if (!f)
    return false;
  f();
  return true;
}

}  // namespace qlm
