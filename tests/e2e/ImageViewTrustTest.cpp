// ViewImage and ReplaceImage read pictures through the trust policy: a picture outside the
// presentation's folder is refused unless the user trusts the presentation.

#include <gtest/gtest.h>

#include "document/ProjectWriter.h"
#include "e2e/E2eSupport.h"
#include "e2e/ProjectText.h"
#include "graphics/ImageCodec.h"
#include "support/ProjectFiles.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

void WritePicture(const fs::path& path, uint32_t width, uint32_t height) {
  const std::vector<uint8_t> png =
      EncodePng(Image24{width, height, std::vector<uint8_t>(size_t{width} * height * 3, 0x40)});
  WriteText(path, std::string(png.begin(), png.end()));
}

TEST(ImageViewTrust, PicturesOutsideThePresentationAreRefusedUnlessTrusted) {
  Sandbox box("image-view-trust");
  const fs::path show = box.root / "show";
  fs::create_directories(show);
  ASSERT_TRUE(WriteProjectFile(
      show / "show.qmd",
      BuildProjectFromSpec("page A\nobject 3 View 0 0 50 50\nimage 1 5 5 0x0000FF\n"), 29));
  WritePicture(box.root / "outside.png", 30, 20);
  WritePicture(show / "inside.png", 12, 8);
  const std::string outside = "Z:" + (box.root / "outside.png").string();
  WriteText(box.root / "play.events",
            "script ViewImage(\"View\",\"" + outside + "\")\nscript A=imagewidth(View)\n" +
                "script ReplaceImage(\"View\",\"..\\outside.png\")\nscript B=imagewidth(View)\n" +
                "script ViewImage(\"View\",\"inside.png\")\nscript C=imagewidth(View)\n" +
                "script ReplaceImage(\"View\",\"" + outside + "\")\nscript D=imagewidth(View)\n" +
                "dump\n");
  auto play = [&](std::vector<std::string> options, const std::string& tag) {
    options.insert(options.end(),
                   {"--events", (box.root / "play.events").string(), (show / "show.qmd").string()});
    EXPECT_EQ(box.Run(options, tag), 0) << ReadText(box.root / (tag + ".err"));
    return ReadText(box.root / (tag + ".jsonl"));
  };

  const std::string guarded = play({}, "guarded");
  // The sandbox path has no backslashes, so it reads the same in JSON.
  EXPECT_NE(guarded.find("{\"event\":\"blocked\",\"what\":\"read\",\"path\":\"" + outside + "\"}"),
            std::string::npos)
      << guarded;
  EXPECT_NE(
      guarded.find("{\"event\":\"blocked\",\"what\":\"read\",\"path\":\"..\\\\outside.png\"}"),
      std::string::npos)
      << guarded;
  EXPECT_NE(guarded.find("\"A\":5,\"B\":5,\"C\":12,\"D\":12"), std::string::npos) << guarded;

  const std::string trusted = play({"--trust"}, "trusted");
  EXPECT_EQ(trusted.find("\"blocked\""), std::string::npos) << trusted;
  EXPECT_NE(trusted.find("\"A\":30,\"B\":30,\"C\":12,\"D\":30"), std::string::npos) << trusted;
}

}  // namespace
}  // namespace qlm::test
