#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "ExprFakes.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/LineFile.h"

namespace qlm {
namespace {

class FileFunctionsTest : public testing::Test {
 protected:
  FileFunctionsTest() {
    ev_.SetOwner(&owner_);
    ev_.SetFileSystem(&files_);
    ev_.SetText("f$", File().string());
  }

  std::filesystem::path File() const { return temp_.Path() / "data.txt"; }
  void Write(const std::string& bytes) { std::ofstream(File(), std::ios::binary) << bytes; }
  std::string Read() const {
    std::ifstream in(File(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  double Number(const std::string& text) {
    double value = ev_.ExecuteStatement(text);
    EXPECT_FALSE(ev_.HasError()) << text << ": " << ev_.ErrorMessage();
    return value;
  }
  std::string Lines(const std::string& start, const std::string& count) {
    ev_.ExecuteStatement("r$=strfromfile(f$," + start + "," + count + ")");
    EXPECT_FALSE(ev_.HasError()) << ev_.ErrorMessage();
    std::string text;
    ev_.GetText("r$", text);
    return text;
  }

  test::TempFolder temp_;
  test::FakeOwner owner_;
  test::PassThroughFileSystem files_;
  ExpressionEvaluator ev_;
};

TEST_F(FileFunctionsTest, NolCountsCrLfPairsAcrossBlocks) {
  struct {
    std::string bytes;
    double lines;
  } cases[] = {
      {"", 1},
      {"one", 1},
      {"one\r\n", 2},
      {"a\nb\rc", 1},
      {"a\r\nb\r\n\r\n", 4},
      {std::string(4095, 'x') + "\r\ny", 2},  // CR ends the first block, LF starts the next
      {std::string(4096, 'x') + "\r\n", 2},
  };
  for (const auto& c : cases) {
    Write(c.bytes);
    EXPECT_EQ(Number("nol(f$)"), c.lines) << c.bytes.size();
  }
  std::filesystem::remove(File());
  EXPECT_EQ(Number("nol(f$)"), 0);
  ev_.SetText("d$", temp_.Path().string());
  EXPECT_EQ(Number("nol(d$)"), 0);
}

TEST_F(FileFunctionsTest, StrFromFileReturnsLineRanges) {
  Write("one\r\ntwo\r\nthree");
  EXPECT_EQ(Lines("2", "1"), "two");
  EXPECT_EQ(Lines("1", "2"), "one\r\ntwo");
  EXPECT_EQ(Lines("2", "-1"), "two\r\nthree");
  EXPECT_EQ(Lines("0", "-1"), "one\r\ntwo\r\nthree");
  EXPECT_EQ(Lines("3", "5"), "three");
  EXPECT_EQ(Lines("0", "1"), "");
  EXPECT_EQ(Lines("4", "1"), "");
  EXPECT_EQ(Lines("1", "0"), "");

  Write("one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(Lines("2", "-1"), "two\r\nthree\r\n");

  Write(std::string("a\0b\nc\r\nd", 9));  // zero bytes and lone line feeds stay in the line
  EXPECT_EQ(Lines("1", "1"), std::string("a\0b\nc", 5));

  std::string first(4095, 'x');
  Write(first + "\r\nsecond\r\n");
  EXPECT_EQ(Lines("1", "1"), first);
  EXPECT_EQ(Lines("2", "1"), "second");

  std::filesystem::remove(File());
  EXPECT_EQ(Lines("1", "1"), "");
}

TEST_F(FileFunctionsTest, StrToFileCreatesAppendsAndSeparates) {
  ev_.SetNumber("yes", 1);
  ev_.SetNumber("two", 2);
  std::filesystem::remove(File());
  EXPECT_EQ(Number("strtofile(f$,'abc',0,0)"), 1);
  EXPECT_EQ(Read(), "abc");
  EXPECT_EQ(Number("strtofile(f$,'def',TRUE,1)"), 1);
  EXPECT_EQ(Read(), "abc\r\ndef");
  EXPECT_EQ(Number("strtofile(f$,'g',yes,0)"), 1);
  EXPECT_EQ(Read(), "abc\r\ndefg");
  // Flags: a variable must hold 1; otherwise only "true", "TRUE" and "1" count.
  EXPECT_EQ(Number("strtofile(f$,'h',two,1)"), 1);
  EXPECT_EQ(Read(), "h");
  EXPECT_EQ(Number("strtofile(f$,'i',True,1)"), 1);
  EXPECT_EQ(Read(), "i");

  std::filesystem::remove(File());
  EXPECT_EQ(Number("strtofile(f$,'first',true,true)"), 1);
  EXPECT_EQ(Read(), "first");  // nothing to separate from

  ev_.SetText("bad$", (temp_.Path() / "missing" / "x.txt").string());
  EXPECT_EQ(Number("strtofile(bad$,'x',0,0)"), 0);
  ASSERT_EQ(owner_.dialogs.boxes.size(), 1u);
  EXPECT_EQ(owner_.dialogs.boxes[0].text,
            "Couldn't create the file!" + (temp_.Path() / "missing" / "x.txt").string());
}

TEST_F(FileFunctionsTest, StrToLineInsertsOrReplacesALine) {
  struct {
    const char* line;
    const char* replace;
    const char* result;
  } cases[] = {
      {"1", "0", "X\r\none\r\ntwo\r\nthree"},
      {"2", "0", "one\r\nX\r\ntwo\r\nthree"},
      {"2", "1", "one\r\nX\r\nthree"},
      {"3", "1", "one\r\ntwo\r\nX"},
      {"3", "0", "one\r\ntwo\r\nX\r\nthree"},
      {"9", "1", "one\r\ntwo\r\nthree\r\nX"},
      {"9", "0", "one\r\ntwo\r\nthree\r\nX\r\n"},
      {"2.7", "true", "one\r\nX\r\nthree"},
  };
  for (const auto& c : cases) {
    Write("one\r\ntwo\r\nthree");
    EXPECT_EQ(Number(std::string("strtoline(f$,'X',") + c.line + "," + c.replace + ")"), 1);
    EXPECT_EQ(Read(), c.result) << c.line << " " << c.replace;
    EXPECT_FALSE(std::filesystem::exists(File().string() + ".tmp"));
  }

  // A line break split across the 4096-byte blocks.
  std::string first(4095, 'x');
  Write(first + "\r\nold\r\nlast");
  EXPECT_EQ(Number("strtoline(f$,'new',2,1)"), 1);
  EXPECT_EQ(Read(), first + "\r\nnew\r\nlast");

  std::filesystem::remove(File());
  EXPECT_EQ(Number("strtoline(f$,'X',1,0)"), 0);
  EXPECT_FALSE(std::filesystem::exists(File()));
  EXPECT_FALSE(std::filesystem::exists(File().string() + ".tmp"));

  Write("keep");
  std::filesystem::create_directory(File().string() + ".tmp");
  EXPECT_EQ(Number("strtoline(f$,'X',1,0)"), 0);
  EXPECT_EQ(Read(), "keep");
  ASSERT_EQ(owner_.dialogs.boxes.size(), 1u);
  EXPECT_EQ(owner_.dialogs.boxes[0].text,
            "Couldn't create temporary file!" + File().string() + ".tmp");
}

}  // namespace
}  // namespace qlm
