// Media files that name other files: the MCI back end plays the file it is given and nothing the
// file names, outside the presentation or on the network, unless everything is trusted.

#include <gtest/gtest.h>

#include <fstream>

#include "media/MediaFixture.h"
#include "mediamodule/MpvMediaBackend.h"
#include "support/ReferenceTraps.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

TEST(MpvMediaReferences, ListsOpenNothingTheyNameAndConnectNowhere) {
  ReferenceScene scene(fs::path(QLM_BINARY_DIR) / "media-test" / "references");
  WriteWave(scene.outside / "tone.wav", 400);
  ASSERT_TRUE(scene.watch.Ready() && scene.trap.Ready());
  scene.watch.Opened();  // the writing of the tone

  for (const auto& [name, text] : ListsNaming(scene.outside / "tone.wav", scene.trap)) {
    SCOPED_TRACE(name);
    MpvMediaBackend backend(MpvMediaBackend::Options{.nullAudio = true, .untimed = true});
    std::string error;
    if (backend.Open("list", scene.Write(name, text), error))
      backend.Play("list");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    backend.Close("list");
    EXPECT_FALSE(scene.watch.Opened());
    EXPECT_FALSE(scene.trap.Connected());
  }

  // Trusted, the playlist is followed: the traps do see it.
  MpvMediaBackend trusted(
      MpvMediaBackend::Options{.nullAudio = true, .untimed = true, .followReferences = true});
  std::string error;
  trusted.Open("list", scene.show / "list.m3u", error);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  trusted.Close("list");
  EXPECT_TRUE(scene.watch.Opened());
}

}  // namespace
}  // namespace qlm::test
