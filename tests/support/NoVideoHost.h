#pragma once

#include "media/VideoObjects.h"

namespace qlm::test {

// A window for video objects that shows nothing and asks nothing.
struct NoVideoHost : VideoHost {
  void RepaintVideoRect(const IntRect&) override {}
  void RepaintWindowNow() override {}
  ObjectRecord* FindVideoObject(const std::string&) override { return nullptr; }
  void RunVideoEndStep(ObjectRecord&) override {}
  void FullScreenVideosChanged(int) override {}
};

}  // namespace qlm::test
