// Video objects played by the real qlmplayer binary headless, which loads its media module on
// first use: the picture at a virtual time is the same on every run, a file outside the
// presentation's reach is refused, and one that does not decode is traced. What a media list
// names is reported as a blocked read.

#include <gtest/gtest.h>

#include "e2e/E2eSupport.h"
#include "e2e/ProjectText.h"
#include "support/GoldenImage.h"
#include "support/ProjectFiles.h"
#include "support/ReferenceTraps.h"
#include "video/TestClip.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

const IntRect kVideoRect{20, 20, 84, 68};

fs::path WriteShow(const Sandbox& box, const std::string& file) {
  const fs::path project = box.root / "show.qmd";
  EXPECT_TRUE(WriteProjectFile(project,
                               BuildProjectFromSpec("size 200 150\n"
                                                    "page A\n"
                                                    "object 12 Clip 20 20 84 68 " +
                                                    file +
                                                    "\n"
                                                    "page B\n"),
                               29));
  return project;
}

TEST(VideoRunTest, TheFrameAtAVirtualTimeIsTheSameOnEveryRun) {
  Sandbox box("video-run");
  std::string error;
  ASSERT_TRUE(WriteTestClip(box.root / "clip.avi", {64, 48, 25, 25, ClipCodec::kMjpeg}, error))
      << error;
  const fs::path project = WriteShow(box, "clip.avi");
  const fs::path events = box.root / "events.txt";
  WriteText(events,
            "script VideoPlay(\"Clip\")\n"
            "wait 500\n"
            "screenshot " +
                (box.root / "at500.png").string() +
                "\n"
                "dump\n"
                "script Page(\"B\")\n"
                "wait 100\n"
                "dump\n");
  std::string first;
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(box.Run({"--events", events.string(), project.string()}), 0)
        << ReadText(box.root / "out.err");
    const std::optional<Surface> shot = ReadPng(box.root / "at500.png");
    ASSERT_TRUE(shot);
    EXPECT_EQ(ReadClipFrame(*shot, kVideoRect), 12);
    const std::string bytes = ReadText(box.root / "at500.png");
    if (run == 0)
      first = bytes;
    else
      EXPECT_EQ(bytes, first) << "the second run showed another picture";
  }
  const std::vector<std::string> lines = Lines(ReadText(box.root / "out.jsonl"));
  std::vector<std::string> dumps;
  for (const std::string& line : lines) {
    if (line.find("\"event\":\"state\"") != std::string::npos)
      dumps.push_back(line);
  }
  ASSERT_EQ(dumps.size(), 2u);
  EXPECT_NE(dumps[0].find("\"CBK_VName\":\"clip.avi\""), std::string::npos) << dumps[0];
  EXPECT_NE(dumps[0].find("\"CBK_VFrame\":12"), std::string::npos) << dumps[0];
  EXPECT_NE(dumps[1].find("\"CBK_VTotal\":\"" + std::string(25, ' ') + "\""), std::string::npos)
      << dumps[1];
}

TEST(VideoRunTest, AVideoOutsideThePresentationIsRefusedAndABrokenOneTraced) {
  Sandbox box("video-refused");
  const fs::path outside = box.root.parent_path() / "video-refused-outside.avi";
  std::string error;
  ASSERT_TRUE(WriteTestClip(outside, {64, 48, 5, 25, ClipCodec::kRaw}, error)) << error;
  WriteText(box.root / "bad.avi", "RIFF and then nothing a decoder can use");
  const fs::path events = box.root / "events.txt";
  WriteText(events,
            "script VideoPlay(\"Clip\")\n"
            "wait 100\n"
            "script VideoLoad(\"Clip\",\"bad.avi\")\n"
            "dump\n");
  const fs::path project = WriteShow(box, outside.string());
  ASSERT_EQ(box.Run({"--trace-files", "--events", events.string(), project.string()}), 0);
  const std::string out = ReadText(box.root / "out.jsonl");
  EXPECT_NE(
      out.find("{\"event\":\"blocked\",\"what\":\"read\",\"path\":\"" + outside.string() + "\"}"),
      std::string::npos)
      << out;
  EXPECT_EQ(out.find("CBK_VName"), std::string::npos) << out;
  const std::string err = ReadText(box.root / "out.err");
  EXPECT_NE(err.find("video \"bad.avi\" does not open: "), std::string::npos) << err;
  // Trusted, the same file plays.
  ASSERT_EQ(box.Run({"--trust", "--events", events.string(), project.string()}, "trusted"), 0);
  EXPECT_NE(ReadText(box.root / "trusted.jsonl").find("\"CBK_VTotalFrames\":5"), std::string::npos);
}

// A concat list loaded into a video object and a playlist opened as an MCI device each name a
// file outside the presentation and an address: nothing of that is opened, and each name is
// reported once as a blocked read, as a JSON line and, with --trace-files, on stderr.
TEST(VideoRunTest, WhatAMediaListNamesIsReportedAsABlockedRead) {
  Sandbox box = Sandbox::ForCurrentTest("video-list");
  const fs::path outside = box.root.parent_path() / "video-list-outside.avi";
  std::string error;
  ASSERT_TRUE(WriteTestClip(outside, {64, 48, 5, 25, ClipCodec::kRaw}, error)) << error;
  LoopbackTrap trap;
  ASSERT_TRUE(trap.Ready());
  WriteText(box.root / "cut.ffconcat", "ffconcat version 1.0\nfile '" + outside.string() +
                                           "'\nfile '" + trap.Url("v.avi") + "'\n");
  WriteText(box.root / "tunes.m3u", outside.string() + "\n" + trap.Url("t.wav") + "\n");
  const fs::path events = box.root / "events.txt";
  WriteText(events,
            "script VideoLoad(\"Clip\",\"cut.ffconcat\")\n"
            "script MCICommand(\"open <SrcDir>\\tunes.m3u alias t\")\n"
            "script MCICommand(\"open <SrcDir>\\tunes.m3u alias u\")\n"
            "dump\n");
  const fs::path project = WriteShow(box, "clip.avi");
  ASSERT_EQ(box.Run({"--trace-files", "--events", events.string(), project.string()}), 0);
  EXPECT_FALSE(trap.Connected());
  const std::string out = ReadText(box.root / "out.jsonl");
  const std::string err = ReadText(box.root / "out.err");
  for (const std::string& name : {outside.string(), trap.Url("v.avi"), trap.Url("t.wav")}) {
    SCOPED_TRACE(name);
    const std::string line = "{\"event\":\"blocked\",\"what\":\"read\",\"path\":\"" + name + "\"}";
    const size_t first = out.find(line);
    EXPECT_NE(first, std::string::npos) << out;
    EXPECT_EQ(out.find(line, first + 1), std::string::npos) << "reported twice: " << out;
    EXPECT_NE(err.find("qlmplayer: blocked read of \"" + name + "\""), std::string::npos) << err;
  }
  EXPECT_EQ(out.find("CBK_VName"), std::string::npos) << out;
  EXPECT_NE(out.find("\"MCIResult\":0"), std::string::npos) << out;
}

}  // namespace
}  // namespace qlm::test
