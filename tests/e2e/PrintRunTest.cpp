// Printing played by the real qlmplayer binary headless: each job is a PDF file in the
// --print-dir folder, read back with poppler's tools (text, fonts, paper, pixels).

#include <gtest/gtest.h>

#include <string>

#include "e2e/E2eSupport.h"
#include "e2e/ProjectText.h"
#include "support/ProjectFiles.h"
#include "support/ShellCommand.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

// What a poppler tool says of a PDF file (pdftotext writes the text to stdout).
std::string Tool(const std::string& command, const fs::path& pdf) {
  const std::string toStdout = command.starts_with("pdftotext") ? " -" : "";
  const ShellOutput out =
      RunShellCommand(command + " " + ShellQuote(pdf.string()) + toStdout + " 2>&1");
  EXPECT_EQ(out.status, 0) << command << ": " << out.text;
  return out.text;
}

// The colour of the middle pixel of the PDF's first page as "R G B" (pdftoppm's PPM header
// skipped: three lines, then the pixels).
std::string MiddleColour(const fs::path& pdf) {
  const ShellOutput out = RunShellCommand(
      "pdftoppm -r 20 -singlefile " + ShellQuote(pdf.string()) +
      " | python3 -c 'import sys; d=sys.stdin.buffer.read(); h=d.split(b\"\\n\",3); "
      "w,hh=map(int,h[1].split()); p=h[3]; i=((hh//2)*w+w//2)*3; print(p[i],p[i+1],p[i+2])'");
  EXPECT_EQ(out.status, 0) << out.text;
  return out.text.substr(0, out.text.find('\n'));
}

class PrintRunTest : public ::testing::Test {
 protected:
  PrintRunTest() : box_(Sandbox::ForCurrentTest("print-run")) {
    EXPECT_TRUE(WriteProjectFile(box_.root / "show.qmd",
                                 BuildProjectFromSpec("size 400 300\n"
                                                      "page One\n"
                                                      "color 0x0000FF\n"
                                                      "object 1 Title 10 10 390 60 Certificate\n"
                                                      "font -40 Courier New\n"
                                                      "object 2 Box 100 100 140 220\n"
                                                      "colour 1 0xFF0000\n"
                                                      "colour 2 0xFF0000\n"),
                                 29));
  }

  // Plays the script lines on the show; the JSON lines of the run.
  std::string Play(const std::string& script, bool toFolder = true) {
    WriteText(box_.root / "events.txt", "script-begin\n" + script + "\nscript-end\n");
    std::vector<std::string> args = {"--events", (box_.root / "events.txt").string()};
    if (toFolder)
      args.insert(args.begin(), {"--print-dir", prints_.string()});
    args.push_back((box_.root / "show.qmd").string());
    fs::remove_all(prints_);
    fs::create_directories(prints_);
    EXPECT_EQ(box_.Run(args), 0) << ReadText(box_.root / "out.err");
    return ReadText(box_.root / "out.jsonl");
  }

  Sandbox box_;
  fs::path prints_ = box_.root / "printed";
};

TEST_F(PrintRunTest, TextPrintsInTheObjectsFontOnlyWhenAskedAndRunsOverSheets) {
  std::string many;
  for (int i = 1; i <= 80; ++i)
    many += "Line " + std::to_string(i) + "\\n";
  const std::string out = Play(
      "PrintText(\"Title,FONT_FROM_OBJECT\",\"\")\n"
      "PrintText(\"Title\",\"Score: 9 of 10\")\n"
      "PrintText(\"\",\"" +
      many + "\")");
  EXPECT_NE(out.find("{\"event\":\"print\",\"what\":\"text\",\"pages\":1,\"file\":\"" +
                     (prints_ / "print-001.pdf").string() + "\"}"),
            std::string::npos)
      << out;

  // The object's own text, in its font (Courier New is matched to a monospaced face).
  const fs::path first = prints_ / "print-001.pdf";
  EXPECT_NE(Tool("pdftotext", first).find("Certificate"), std::string::npos);
  EXPECT_NE(Tool("pdffonts", first).find("Mono"), std::string::npos);
  // Without FONT_FROM_OBJECT the print font, whatever the object's.
  const fs::path second = prints_ / "print-002.pdf";
  EXPECT_NE(Tool("pdftotext", second).find("Score: 9 of 10"), std::string::npos);
  const std::string fonts = Tool("pdffonts", second);
  EXPECT_EQ(fonts.find("Mono"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("Sans"), std::string::npos) << fonts;
  // 80 lines of a 12-point font do not fit one A4 sheet; every line is printed once, in order.
  const fs::path third = prints_ / "print-003.pdf";
  const std::string info = Tool("pdfinfo", third);
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
  EXPECT_NE(info.find("595.28 x 841.89 pts (A4)"), std::string::npos) << info;
  const std::string text = Tool("pdftotext", third);
  size_t at = 0;
  for (int i = 1; i <= 80; ++i) {
    at = text.find("Line " + std::to_string(i) + "\n", at);
    ASSERT_NE(at, std::string::npos) << "line " << i;
  }
}

TEST_F(PrintRunTest, PageAndBoxesFillTheSheetTurnedToTheirShape) {
  const std::string out = Play(
      "PrintPage(\"1\")\n"
      "PrintRect(\"Box\",\"\")\n"
      "PrintRect(\"\",\"0,150,400,150\")\n"
      "PrintRect(\"\",\"500,500,10,10\")");
  // The box outside the page prints nothing.
  EXPECT_FALSE(fs::exists(prints_ / "print-004.pdf")) << out;
  struct Case {
    const char* file;
    const char* what;
    const char* size;
    const char* middle;  // R G B
  };
  const Case cases[] = {
      {"print-001.pdf", "page", "841.89 x 595.28 pts (A4)", "255 0 0"},  // the page's background
      {"print-002.pdf", "rect", "595.28 x 841.89 pts (A4)", "0 0 255"},  // the box: tall, blue
      {"print-003.pdf", "rect", "841.89 x 595.28 pts (A4)", "255 0 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_NE(out.find("\"what\":\"" + std::string(c.what) + "\",\"pages\":1,\"file\":\"" +
                       (prints_ / c.file).string()),
              std::string::npos)
        << out;
    EXPECT_NE(Tool("pdfinfo", prints_ / c.file).find(c.size), std::string::npos);
    EXPECT_EQ(MiddleColour(prints_ / c.file), c.middle);
  }
}

TEST_F(PrintRunTest, WithoutAFolderJobsAreOnlyReported) {
  const std::string out = Play("PrintPage(\"\")", false);
  EXPECT_NE(out.find("{\"event\":\"print\",\"what\":\"page\",\"pages\":1}"), std::string::npos)
      << out;
  EXPECT_TRUE(fs::is_empty(prints_));
}

}  // namespace
}  // namespace qlm::test
