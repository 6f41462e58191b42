// What a headless start maps: the libraries the window, the media and the metafile converter
// need are opened on first use, so a presentation that uses none of them never maps them, and
// one that plays a video maps the media libraries when it plays.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "e2e/E2eSupport.h"
#include "e2e/ProjectText.h"
#include "support/ProjectFiles.h"
#include "video/TestClip.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

// The names of every shared object the run's dynamic loader opened, one per line.
std::string LoadedLibraries(const Sandbox& box, const std::string& spec,
                            const std::string& events) {
  const fs::path project = box.root / "show.qmd";
  EXPECT_TRUE(WriteProjectFile(project, BuildProjectFromSpec(spec), 29));
  WriteText(box.root / "events.txt", events);
  const std::string log = (box.root / "ld").string();
  const std::string command = box.Env() + "LD_DEBUG=files LD_DEBUG_OUTPUT=" + ShellQuote(log) +
                              " " + ShellQuote(QLMPLAYER_PATH) +
                              " --headless --profile-dir profile --events events.txt " +
                              ShellQuote(project.string()) + " >out.jsonl 2>out.err";
  EXPECT_EQ(std::system(command.c_str()), 0) << ReadText(box.root / "out.err");
  std::string names;
  for (const fs::directory_entry& e : fs::directory_iterator(box.root)) {
    if (e.path().filename().string().rfind("ld.", 0) == 0)
      names += ReadText(e.path());
  }
  return names;
}

TEST(LazyLibrariesTest, HeadlessMapsOnlyWhatThePresentationUses) {
  Sandbox box("lazy-libraries");
  const std::string plain = LoadedLibraries(
      box, "size 200 150\npage A\nobject 1 T 10 10 190 40 Hi\n", "wait 100\nquit\n");
  ASSERT_NE(plain.find("libcairo"), std::string::npos) << "no loader log was written";
  for (const char* lazy : {"libSDL2", "libavcodec", "libmpv", "libemf2svg", "librsvg"})
    EXPECT_EQ(plain.find(lazy), std::string::npos) << lazy << " was mapped at start";

  std::string error;
  ASSERT_TRUE(WriteTestClip(box.root / "clip.avi", {64, 48, 5, 25, ClipCodec::kRaw}, error))
      << error;
  const std::string video =
      LoadedLibraries(box, "size 200 150\npage A\nobject 12 Clip 20 20 84 68 clip.avi\n",
                      "script VideoPlay(\"Clip\")\nwait 100\nquit\n");
  EXPECT_NE(video.find("libavcodec"), std::string::npos) << "the video did not open its decoders";
}

}  // namespace
}  // namespace qlm::test
