// Media files that name other files: the MCI back end plays the file it is given and nothing the
// file names, outside the presentation or on the network, unless everything is trusted; what a
// list named is reported as a refused read. The device plays the very file the door checked.

#include <gtest/gtest.h>

#include <fstream>

#include "media/MciDevices.h"
#include "media/MediaFixture.h"
#include "mediamodule/MpvMediaBackend.h"
#include "platform/headless/VirtualEventLoop.h"
#include "support/ReferenceTraps.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

fs::path SceneFolder() {
  return FolderForCurrentTest(fs::path(QLM_BINARY_DIR) / "media-test");
}

TEST(MpvMediaReferences, ListsOpenNothingTheyNameAndConnectNowhere) {
  ReferenceScene scene(SceneFolder());
  WriteWave(scene.outside / "tone.wav", 400);
  ASSERT_TRUE(scene.watch.Ready() && scene.trap.Ready());
  scene.watch.Opened();  // the writing of the tone

  for (const auto& [name, text] : ListsNaming(scene.outside / "tone.wav", scene.trap)) {
    SCOPED_TRACE(name);
    MpvMediaBackend backend(MpvMediaBackend::Options{.nullAudio = true, .untimed = true});
    std::string error;
    RefusedReferences refused;
    if (backend.Open("list", scene.Write(name, text), error, refused))
      backend.Play("list");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    backend.Close("list");
    EXPECT_FALSE(scene.watch.Opened());
    EXPECT_FALSE(scene.trap.Connected());
    EXPECT_TRUE(RefusesWhatAListNames(refused, scene.outside / "tone.wav", scene.trap));
  }

  // Trusted, the playlist is followed: the traps do see it, and nothing is refused.
  MpvMediaBackend trusted(
      MpvMediaBackend::Options{.nullAudio = true, .untimed = true, .followReferences = true});
  std::string error;
  RefusedReferences refused;
  trusted.Open("list", scene.show / "list.m3u", error, refused);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  trusted.Close("list");
  EXPECT_TRUE(scene.watch.Opened());
  EXPECT_TRUE(refused.empty());
}

// Through the device table and the presentation's door: each list fails to open as an invalid
// file and every file or address it names is reported once as a refused read.
TEST(MpvMediaReferences, WhatAListNamesIsReportedAsABlockedRead) {
  ReferenceScene scene(SceneFolder());
  WriteWave(scene.outside / "tone.wav", 400);
  ASSERT_TRUE(scene.trap.Ready());
  VirtualEventLoop loop;
  MpvMediaBackend backend(MpvMediaBackend::Options{.nullAudio = true, .untimed = true});
  MciDevices devices(loop, &backend, &scene.files);
  for (const ReportedList& list : kReportedLists) {
    SCOPED_TRACE(list.list);
    WriteReportedList(scene, list, scene.outside / "tone.wav");
    EXPECT_EQ(devices.Send("open " + std::string(list.list) + " alias l").error,
              mci_error::kInvalidFile);
    EXPECT_FALSE(scene.trap.Connected());
    EXPECT_EQ(SortedReports(scene), ReportsOf(scene, list, scene.outside / "tone.wav"));
  }
}

// A second thread swaps the checked file for a link to a longer sound outside the presentation
// while devices open it: what plays is always the file that was checked.
TEST(MciDevicesOpen, PlaysTheCheckedFileWhileALinkIsSwappedIn) {
  ReferenceScene scene(SceneFolder());
  WriteWave(scene.show / "race.wav", 300);
  WriteWave(scene.outside / "long.wav", 900);
  fs::create_symlink(scene.outside / "long.wav", scene.show / "race-link");
  VirtualEventLoop loop;
  MpvMediaBackend backend(MpvMediaBackend::Options{.nullAudio = true, .untimed = true});
  MciDevices devices(loop, &backend, &scene.files);

  int inside = 0, outside = 0;
  Swapper swapper(scene.show / "race.wav", scene.show / "race-link");
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (std::chrono::steady_clock::now() < end) {
    if (devices.Send("open race.wav alias r").error != mci_error::kNone)
      continue;  // the check found the link
    const std::string length = devices.Send("status r length").answer;
    inside += length == "300";
    outside += length == "900";
    devices.Send("close r");
  }
  EXPECT_EQ(outside, 0);
  EXPECT_GT(inside, 0);
  EXPECT_GT(swapper.Swaps(), 100);
}

// The device reads the opened file by a name without an extension: a sound without one, or
// with a misleading one, plays as before.
TEST(MciDevicesOpen, FilesPlayWhateverTheirNamesSay) {
  ReferenceScene scene(SceneFolder());
  VirtualEventLoop loop;
  MpvMediaBackend backend(MpvMediaBackend::Options{.nullAudio = true, .untimed = true});
  MciDevices devices(loop, &backend, &scene.files);
  for (const char* name : {"tone", "tone.mp3", "TONE.MID"}) {
    SCOPED_TRACE(name);
    WriteWave(scene.show / name, 300);
    ASSERT_EQ(devices.Send("open " + std::string(name) + " alias t").error, mci_error::kNone);
    EXPECT_EQ(devices.Send("status t length").answer, "300");
    devices.Send("close t");
  }
  EXPECT_TRUE(scene.files.blocked.empty());
}

}  // namespace
}  // namespace qlm::test
