#include "plugins/TransitionPlugin.h"

#include "graphics/Surface.h"
#include "plugins/PluginFileName.h"

namespace qlm {

TransitionPlugin::TransitionPlugin(Libraries& libraries, const FileSystem& files)
    : libraries_(libraries), files_(files), frame_(std::make_unique<Surface>()) {}

// The library may still hold the buffers' addresses: it goes before they do.
TransitionPlugin::~TransitionPlugin() {
  next_ = nullptr;
  library_.reset();
}

const Surface& TransitionPlugin::Frame() const {
  return *frame_;
}

bool TransitionPlugin::Start(const std::string& fileName, const std::vector<std::string>& folders,
                             const Surface& oldPage, const Surface& newPage, int32_t variant) {
  next_ = nullptr;
  library_.reset();
  *frame_ = newPage;
  if (oldPage.Empty() || oldPage.Width() != newPage.Width() ||
      oldPage.Height() != newPage.Height()) {
    lastError_ = "the old and the new picture differ in size";
    return false;
  }
  library_ = LoadPluginLibrary(libraries_, files_, fileName, folders, lastError_);
  if (!library_)
    return false;
  // The frame starts as the old picture, so a library that draws nothing shows no jump.
  *frame_ = oldPage;
  in_ = std::make_unique<Surface>(oldPage);
  out_ = std::make_unique<Surface>(newPage);
  auto symbol = [&](const char* name) { return library_->Symbol(name); };
  if (auto f = reinterpret_cast<qlm_set_buffer_fn>(symbol("SetBuffer")))
    f(frame_->Row(0));
  if (auto f = reinterpret_cast<qlm_set_source_fn>(symbol("SetBufferIn")))
    f(in_->Row(0));
  if (auto f = reinterpret_cast<qlm_set_source_fn>(symbol("SetBufferOut")))
    f(out_->Row(0));
  next_ = reinterpret_cast<qlm_next_fn>(symbol("Next"));
  if (auto f = reinterpret_cast<qlm_set_dim_fn>(symbol("SetDim")))
    f(newPage.Width(), newPage.Height());
  if (auto f = reinterpret_cast<qlm_set_type_fn>(symbol("SetType")))
    f(variant);
  return true;
}

const Surface& TransitionPlugin::Step(float progress) {
  if (next_) {
    next_(progress);
    // The top byte of frame pixels stays 0 whatever the library wrote.
    for (int y = 0; y < frame_->Height(); ++y) {
      uint32_t* row = frame_->Row(y);
      for (int x = 0; x < frame_->Width(); ++x)
        row[x] &= 0xFFFFFF;
    }
  }
  return *frame_;
}

}  // namespace qlm
