#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "DriveFixture.h"
#include "FileSizeLimit.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

std::string ReadHost(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

size_t EntriesIn(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

// The real door over a drive D: whose names were written in mixed case.
class FileSystemTest : public test::DriveFixture {
 protected:
  FileSystemTest() {
    Put("Show/Readme.TXT", "read me");
    Put("Show/Pics/Photo.BMP", "BM");
    Put("Show/Program Files/app.exe", "MZ");
  }
};

TEST_F(FileSystemTest, ReadsWhateverCaseOrShortNameTheScriptWrites) {
  for (const char* path :
       {"D:\\SHOW\\readme.txt", "readme.txt", "README.TXT", "d:/show/Readme.TXT"})
    EXPECT_EQ(files.ReadFile(path), "read me") << path;
  EXPECT_EQ(files.ReadFile("PROGRA~1\\APP.EXE"), "MZ");
  EXPECT_EQ(files.ReadFile("readme.txt", 4), "read");
  EXPECT_EQ(files.ReadFile("readme.txt", 0), "");

  EXPECT_TRUE(files.IsFile("pics\\photo.bmp"));
  EXPECT_TRUE(files.Exists("PICS"));
  EXPECT_FALSE(files.IsFile("PICS"));
  EXPECT_EQ(files.Stat("pics")->kind, FileKind::kFolder);
  EXPECT_EQ(files.Stat("readme.txt")->size, 7u);
  EXPECT_FALSE(files.Exists("missing.txt"));
  EXPECT_EQ(files.HostFileToRead("pics\\PHOTO.bmp"), drive / "Show" / "Pics" / "Photo.BMP");
  EXPECT_EQ(files.HostFileToRead("pics"), std::nullopt) << "a folder is no file to hand on";

  // What cannot be read reads as nothing: a folder, a missing file, an unmapped drive.
  for (const char* path : {"pics", "missing.txt", "Q:\\readme.txt", ""}) {
    EXPECT_EQ(files.ReadFile(path), std::nullopt) << path;
    EXPECT_FALSE(files.OpenRead(path).file) << path;
    EXPECT_FALSE(files.OpenRead(path).error.empty()) << path;
  }
}

TEST_F(FileSystemTest, ReadingAPipeDoesNotWaitForAWriter) {
  ASSERT_EQ(::mkfifo((drive / "Show" / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(files.ReadFile("PIPE"), std::nullopt);
  EXPECT_EQ(files.Stat("pipe")->kind, FileKind::kOther);
}

TEST_F(FileSystemTest, ListsAFolderInNameOrderWithWindowsPaths) {
  const auto entries = files.ListFolder("D:\\SHOW");
  ASSERT_TRUE(entries.has_value());
  ASSERT_EQ(entries->size(), 3u);
  EXPECT_EQ((*entries)[0].name, "Pics");
  EXPECT_EQ((*entries)[0].path, "D:\\Show\\Pics");
  EXPECT_EQ((*entries)[0].kind, FileKind::kFolder);
  EXPECT_EQ((*entries)[1].name, "Program Files");
  EXPECT_EQ((*entries)[2].name, "Readme.TXT");
  EXPECT_EQ((*entries)[2].path, "D:\\Show\\Readme.TXT");
  EXPECT_EQ((*entries)[2].kind, FileKind::kFile);
  EXPECT_EQ(files.ListFolder("readme.txt"), std::nullopt);
  EXPECT_EQ(files.ListFolder("nowhere"), std::nullopt);
}

TEST_F(FileSystemTest, WritesReplaceWholeFilesAndLeaveNothingBeside) {
  EXPECT_TRUE(files.WriteFile("README.TXT", "new text"));
  EXPECT_EQ(ReadHost(drive / "Show" / "Readme.TXT"), "new text") << "the existing name is kept";
  EXPECT_TRUE(files.WriteFile("Pics\\New.txt", "fresh"));
  EXPECT_EQ(ReadHost(drive / "Show" / "Pics" / "New.txt"), "fresh");
  EXPECT_TRUE(files.AppendFile("pics\\new.txt", "er"));
  EXPECT_TRUE(files.AppendFile("pics\\log.txt", "one"));
  EXPECT_EQ(files.ReadFile("pics\\new.txt"), "fresher");
  EXPECT_EQ(files.ReadFile("pics\\log.txt"), "one");
  EXPECT_EQ(EntriesIn(drive / "Show" / "Pics"), 3u) << "no temporary file is left";

  // The mode of a replaced file stays; a link is written through to its target.
  fs::permissions(drive / "Show" / "Readme.TXT", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(drive / "Show" / "Readme.TXT", drive / "Show" / "link.txt");
  EXPECT_TRUE(files.WriteFile("link.txt", "through"));
  EXPECT_TRUE(fs::is_symlink(drive / "Show" / "link.txt"));
  EXPECT_EQ(ReadHost(drive / "Show" / "Readme.TXT"), "through");
  EXPECT_EQ(fs::status(drive / "Show" / "Readme.TXT").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);

  // Nothing is written over a folder, into a missing folder or on an unmapped drive.
  EXPECT_FALSE(files.WriteFile("pics", "x"));
  EXPECT_FALSE(files.AppendFile("pics", "x"));
  EXPECT_FALSE(files.WriteFile("nowhere\\x.txt", "x"));
  EXPECT_FALSE(files.WriteFile("Q:\\x.txt", "x"));
  EXPECT_TRUE(fs::is_directory(drive / "Show" / "Pics"));
}

TEST_F(FileSystemTest, AWriteThatFailsHalfwayKeepsTheOldFile) {
  ASSERT_TRUE(files.WriteFile("big.txt", "old content"));
  bool written = false, copied = false;
  {
    test::FileSizeLimit full(4096);
    written = files.WriteFile("BIG.TXT", std::string(100000, 'x'));
    copied = files.Copy("big.txt", "copy.txt");
  }

  EXPECT_FALSE(written);
  EXPECT_TRUE(copied) << "a small file still fits";
  EXPECT_EQ(files.ReadFile("big.txt"), "old content");
  EXPECT_EQ(EntriesIn(drive / "Show"), 5u) << "Pics, Program Files, Readme, big and copy only";
}

TEST_F(FileSystemTest, CopiesRenamesRemovesAndMakesFolders) {
  fs::permissions(drive / "Show" / "Program Files" / "app.exe", fs::perms::owner_all);
  EXPECT_FALSE(files.Copy("progra~1\\APP.EXE", "D:\\Copies\\app.exe"))
      << "the target folder must exist";
  EXPECT_TRUE(files.CreateFolder("D:\\Copies\\Deep"));
  EXPECT_TRUE(files.CreateFolder("d:\\copies\\deep")) << "an existing folder is fine";
  EXPECT_TRUE(files.Copy("progra~1\\APP.EXE", "D:\\copies\\app.exe"));
  EXPECT_EQ(ReadHost(drive / "Copies" / "app.exe"), "MZ");
  EXPECT_EQ(fs::status(drive / "Copies" / "app.exe").permissions(), fs::perms::owner_all);
  EXPECT_TRUE(files.Copy("readme.txt", "D:\\COPIES\\APP.EXE")) << "replaces the copy";
  EXPECT_EQ(ReadHost(drive / "Copies" / "app.exe"), "read me");
  EXPECT_FALSE(files.Copy("pics", "D:\\Copies\\pics")) << "a folder is no file";
  EXPECT_FALSE(files.Copy("readme.txt", "D:\\Copies\\Deep")) << "nor a target";
  EXPECT_FALSE(files.Copy("missing.txt", "D:\\Copies\\m.txt"));

  EXPECT_TRUE(files.Rename("D:\\Copies\\App.exe", "D:\\Copies\\Deep\\moved.exe"));
  EXPECT_EQ(files.ReadFile("D:\\copies\\deep\\MOVED.EXE"), "read me");
  EXPECT_TRUE(files.Remove("D:\\copies\\deep\\moved.exe"));
  EXPECT_FALSE(files.Remove("D:\\copies\\deep\\moved.exe"));
  EXPECT_FALSE(files.Remove("Q:\\x"));
  EXPECT_TRUE(files.Remove("D:\\copies\\deep"));
  EXPECT_FALSE(fs::exists(drive / "Copies" / "Deep"));
}

// Each operation resolves each of its paths exactly once: the place a policy on what a
// presentation may reach is asked.
TEST_F(FileSystemTest, EveryOperationResolvesEachPathOnce) {
  std::vector<std::string> lines;
  files.SetTrace([&lines](const std::string& line) { lines.push_back(line); });
  struct Case {
    const char* what;
    std::function<void()> run;
    size_t lookups;
  };
  const Case cases[] = {
      {"read", [&] { files.ReadFile("readme.txt"); }, 1},
      {"open", [&] { files.OpenRead("readme.txt"); }, 1},
      {"stat", [&] { files.IsFile("readme.txt"); }, 1},
      {"list", [&] { files.ListFolder("pics"); }, 1},
      {"host file", [&] { files.HostFileToRead("readme.txt"); }, 1},
      {"write", [&] { files.WriteFile("w.txt", "w"); }, 1},
      {"append", [&] { files.AppendFile("w.txt", "w"); }, 1},
      {"copy", [&] { files.Copy("w.txt", "c.txt"); }, 2},
      {"rename", [&] { files.Rename("c.txt", "r.txt"); }, 2},
      {"remove", [&] { files.Remove("r.txt"); }, 1},
      {"folder", [&] { files.CreateFolder("sub"); }, 1},
  };
  for (const Case& c : cases) {
    lines.clear();
    c.run();
    EXPECT_EQ(lines.size(), c.lookups) << c.what;
  }
}

TEST(PlainFileName, RefusesWhatCouldLeaveTheFolder) {
  for (const char* name : {"logo.txt", "a b", ".hidden", "..x"})
    EXPECT_TRUE(IsPlainFileName(name)) << name;
  const std::string_view refused[] = {"", ".", "..", "a\\b", "a/b", "C:x", {"a\0b", 3}};
  for (std::string_view name : refused)
    EXPECT_FALSE(IsPlainFileName(name)) << name;
  EXPECT_EQ(InFolder("C:\\Temp\\", "x.txt"), "C:\\Temp\\x.txt");
  EXPECT_EQ(InFolder("C:\\Temp", "x.txt"), "C:\\Temp\\x.txt");
  EXPECT_EQ(InFolder("", "x.txt"), "x.txt");
}

}  // namespace
}  // namespace qlm
