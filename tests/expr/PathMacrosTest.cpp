#include "expr/PathMacros.h"

#include <gtest/gtest.h>

namespace qlm {
namespace {

class PathMacrosTest : public ::testing::Test {
 protected:
  PathMacrosTest() {
    folders.windows = "C:\\WINDOWS\\";
    folders.system = "C:\\WINDOWS\\SYSTEM32\\";
    folders.temp = "C:\\TEMP\\";
    folders.embedded = "C:\\TEMP\\QLMPlayer\\";
    folders.cd = "D:\\";
  }
  SystemFolders folders;
};

TEST_F(PathMacrosTest, ExpandsEachMacro) {
  PathMacros macros(folders, "C:\\Show\\run.exe");
  macros.SetFile("E:\\chosen.txt");
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"<SrcDir>\\pic.bmp", "C:\\Show\\pic.bmp"},
      {"<SrcDir>pic.bmp", "C:\\Show\\pic.bmp"},
      {"<SrcDir>", "C:\\Show\\"},
      {"<SrcDrive>\\x", "C:\\x"},
      {"<SrcDrive>x", "C:\\x"},
      // Folder values end in a backslash, so a following backslash doubles it.
      {"<Temp>\\x.txt", "C:\\TEMP\\\\x.txt"},
      {"<Temp>x.txt", "C:\\TEMP\\\\x.txt"},
      {"<Windows>\\a", "C:\\WINDOWS\\\\a"},
      {"<System>a", "C:\\WINDOWS\\SYSTEM32\\\\a"},
      {"<Embedded>s.wav", "C:\\TEMP\\QLMPlayer\\\\s.wav"},
      {"<CD>\\setup.exe", "D:\\\\setup.exe"},
      // The following character is looked up in the trimmed text, but blanks stay in the result.
      {"  <SrcDir>  ", "  C:\\Show\\  "},
      {"<SrcDir>\\a;<SrcDir>b", "C:\\Show\\a;C:\\Showb"},
      {"<SrcDir>a;<SrcDir>\\b", "C:\\Show\\a;C:\\Show\\\\b"},
      {"<SrcDir>\\a <Temp>b", "C:\\Show\\a C:\\TEMP\\\\b"},
      // Macros are case-sensitive; unknown words in angle brackets stay.
      {"<srcdir>\\a", "<srcdir>\\a"},
      {"<Foo>\\a", "<Foo>\\a"},
      {"plain.txt", "plain.txt"},
      {"", ""},
      {"   ", "   "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(macros.Expand(c.in), c.out) << "input: " << c.in;
  }
}

TEST_F(PathMacrosTest, FileReplacesTheWholeText) {
  PathMacros macros(folders, "C:\\Show\\run.exe");
  macros.SetFile("E:\\docs\\chosen.txt");
  EXPECT_EQ(macros.Expand("<File>"), "E:\\docs\\chosen.txt");
  EXPECT_EQ(macros.Expand("copy of <File> here"), "E:\\docs\\chosen.txt");
  // "<File>" is looked up after "<SrcDir>", and still wins over everything.
  EXPECT_EQ(macros.Expand("<SrcDir>\\<File>"), "E:\\docs\\chosen.txt");
  // It is read anew on every call, without a reset.
  macros.SetFile("F:\\other.txt");
  EXPECT_EQ(macros.Expand("x<File>"), "F:\\other.txt");
  macros.SetFile("");
  EXPECT_EQ(macros.Expand("<File>"), "");
}

TEST_F(PathMacrosTest, CachedValuesChangeOnlyAfterReset) {
  PathMacros macros(folders, "C:\\Show\\run.exe");
  EXPECT_EQ(macros.Expand("<Temp>"), "C:\\TEMP\\\\");
  folders.temp = "T:\\";
  EXPECT_EQ(macros.Expand("<Temp>"), "C:\\TEMP\\\\");
  macros.Reset();
  EXPECT_EQ(macros.Expand("<Temp>"), "T:\\\\");

  macros.SetExecutablePath("Q:\\Other\\Sub\\show.qmd");
  EXPECT_EQ(macros.Expand("<SrcDir>\\a"), "Q:\\Other\\Sub\\a");
  EXPECT_EQ(macros.Expand("<SrcDrive>\\a"), "Q:\\a");
}

TEST_F(PathMacrosTest, ExecutablePathWithoutFolder) {
  PathMacros macros(folders, "run.exe");
  EXPECT_EQ(macros.Expand("<SrcDir>\\a"), "\\a");
  EXPECT_EQ(macros.Expand("<SrcDrive>a"), "\\a");
}

}  // namespace
}  // namespace qlm
