#pragma once

#include <memory>
#include <string>

namespace qlm {

// SDL's video subsystem for the life of the object. Nothing of SDL is used before one exists.
class SdlVideo {
 public:
  // Null, with the reason in `error`, when there is no display to open windows on.
  static std::unique_ptr<SdlVideo> Open(std::string& error);
  ~SdlVideo();
  SdlVideo(const SdlVideo&) = delete;
  SdlVideo& operator=(const SdlVideo&) = delete;

 private:
  SdlVideo() = default;
};

}  // namespace qlm
