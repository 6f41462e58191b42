#include "platform/sdl/ScreenshotFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "graphics/ImageCodec.h"
#include "platform/Clock.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

std::tm At(int year, int month, int day, int hour, int minute, int second) {
  return LocalDateTime{year, month, day, hour, minute, second}.ToTm();
}

TEST(ScreenshotFileTest, NamesCarryThePresentationAndTheTimeAndNothingAFolderCannotHold) {
  const std::tm t = At(2026, 3, 7, 9, 5, 1);
  struct Case {
    const char* presentation;
    int number;
    const char* expected;
  } cases[] = {
      {"Demo", 1, "Demo 2026-03-07 09.05.01.png"},
      {"Demo", 3, "Demo 2026-03-07 09.05.01 (3).png"},
      {"a/b\\c:d*e?\"<>|", 1, "a_b_c_d_e_____ 2026-03-07 09.05.01.png"},
      {"../up", 1, "_up 2026-03-07 09.05.01.png"},
      {"tab\there", 1, "tab_here 2026-03-07 09.05.01.png"},
      {"  ", 1, "qlmplayer 2026-03-07 09.05.01.png"},
      {"", 1, "qlmplayer 2026-03-07 09.05.01.png"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScreenshotName(c.presentation, t, c.number), c.expected) << c.presentation;
}

TEST(ScreenshotFileTest, FolderIsThePicturesFolderOfTheDesktopElsePicturesAtHome) {
  struct Case {
    const char* userDirs;
    const char* environment;
    const char* expected;
  } cases[] = {
      {"# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
       "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n",
       "/elsewhere", "/home/u/Bilder"},
      {"XDG_PICTURES_DIR=\"/data/photos\"\r\n", "", "/data/photos"},
      // Not in the file: the environment; neither: ~/Pictures, never the current folder.
      {"XDG_MUSIC_DIR=\"$HOME/Music\"\n", "/elsewhere/pics", "/elsewhere/pics"},
      {"", "", "/home/u/Pictures"},
      // Set to the home folder (turned off) or to a relative path: ~/Pictures.
      {"XDG_PICTURES_DIR=\"$HOME/\"\n", "", "/home/u/Pictures"},
      {"XDG_PICTURES_DIR=\"Pictures\"\n", "", "/home/u/Pictures"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PicturesFolder(c.userDirs, c.environment, "/home/u"), fs::path(c.expected))
        << c.userDirs;
  }
  EXPECT_EQ(ScreenshotFolder("/home/u/Pictures"), fs::path("/home/u/Pictures/qlmplayer"));
}

TEST(ScreenshotFileTest, WritesTheUnscaledFrameAndNeverOverwritesAnEarlierOne) {
  const fs::path folder = fs::path(QLM_BINARY_DIR) / "screenshot-file-test" / "qlmplayer";
  fs::remove_all(folder.parent_path());
  Surface frame(4, 3);
  frame.Fill(0x00FF8000);
  const std::tm t = At(2026, 1, 2, 3, 4, 5);
  std::string error;
  const auto first = SaveScreenshot(frame, folder, "Show", t, error);
  ASSERT_TRUE(first) << error;  // the missing folder is made
  const auto second = SaveScreenshot(frame, folder, "Show", t, error);
  ASSERT_TRUE(second) << error;
  EXPECT_EQ(first->filename(), "Show 2026-01-02 03.04.05.png");
  EXPECT_EQ(second->filename(), "Show 2026-01-02 03.04.05 (2).png");

  std::ifstream in(*first, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  const std::optional<Image24> image = DecodePng(bytes);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 4u);
  EXPECT_EQ(image->height, 3u);
  EXPECT_EQ(image->pixels[0], 0x00);  // B, G, R of 0xFF8000
  EXPECT_EQ(image->pixels[1], 0x80);
  EXPECT_EQ(image->pixels[2], 0xFF);

  // A folder that cannot be made is an error, not a crash.
  EXPECT_FALSE(SaveScreenshot(frame, *first / "inside", "Show", t, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace qlm
