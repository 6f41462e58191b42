#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Libraries.h"
#include "plugins/qlm_plugin.h"

namespace qlm {

class FileSystem;
class Surface;

// A page transition computed by a library (transition effect 18). The library receives the
// frame buffer and the old and new page pictures, all the size of the window, and draws each
// frame into the frame buffer when told the progress. The buffers are the transition's own and
// stay put until it ends.
class TransitionPlugin {
 public:
  TransitionPlugin(Libraries& libraries, const FileSystem& files);
  ~TransitionPlugin();
  TransitionPlugin(const TransitionPlugin&) = delete;
  TransitionPlugin& operator=(const TransitionPlugin&) = delete;

  // Loads the library as object plug-ins are loaded (same places, same name mapping), copies
  // the two pictures (which must be of one size) and hands the buffers, the size and `variant`
  // to the library. On failure (the library is missing, or the pictures differ in size or are
  // empty) Step only keeps showing the new picture. False on failure.
  bool Start(const std::string& fileName, const std::vector<std::string>& folders,
             const Surface& oldPage, const Surface& newPage, int32_t variant);

  // One animation step at `progress` (0 up to 1): calls "Next" and returns the frame to show.
  // Without a library the frame is the new picture.
  const Surface& Step(float progress);

  bool Loaded() const { return library_ != nullptr; }
  bool HasNext() const { return next_ != nullptr; }
  const std::string& LastError() const { return lastError_; }
  const Surface& Frame() const;

 private:
  Libraries& libraries_;
  const FileSystem& files_;
  std::unique_ptr<LoadedLibrary> library_;
  qlm_next_fn next_ = nullptr;
  std::string lastError_;
  std::unique_ptr<Surface> frame_, in_, out_;
};

}  // namespace qlm
