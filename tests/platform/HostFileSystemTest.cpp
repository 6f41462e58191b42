#include "platform/host/HostFileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

#include "DriveFixture.h"
#include "platform/ShortNames.h"
#include "platform/host/HostSystemFolders.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

bool PrefixOf(const fs::path& root, const fs::path& p) {
  const auto rel = p.lexically_relative(root);
  return !rel.empty() && *rel.begin() != "..";
}

// A presentation on drive D: with names in mixed case, shown from D:\Show.
class HostFileSystemTest : public test::DriveFixture {
 protected:
  HostFileSystemTest() {
    Put("Show/Pics/Photo.BMP", "photo");
    Put("Show/Program Files/app.exe");
    Put("Show/Program Data/x.dat");
    Put("Show/LongFileName.txt");
    Put("Show/LongFileNumber.txt");
    Put("Show/Readme.TXT");
    Put("Show/Both/Data.txt");
    Put("Show/Both/data.txt");
    Put("Show/Caf\xC3\xA9.txt");  // UTF-8 on the host
  }
};

TEST_F(HostFileSystemTest, ResolvesWindowsPaths) {
  struct Case {
    std::string in;
    const char* out;  // below the drive root; nullptr: no host path
  };
  const Case cases[] = {
      {"D:\\Show\\Pics\\Photo.BMP", "Show/Pics/Photo.BMP"},
      {"d:\\SHOW\\pics\\photo.bmp", "Show/Pics/Photo.BMP"},
      {"pics\\PHOTO.bmp", "Show/Pics/Photo.BMP"},
      {"D:/Show/Pics/photo.bmp", "Show/Pics/Photo.BMP"},
      {"D:\\Show\\\\Pics\\\\\\photo.bmp", "Show/Pics/Photo.BMP"},
      {"D:\\Show\\.\\Pics\\..\\pics\\photo.bmp", "Show/Pics/Photo.BMP"},
      {"\\\\?\\D:\\Show\\readme.txt", "Show/Readme.TXT"},
      // ".." stops at the drive root.
      {"..\\..\\..\\show\\readme.txt", "Show/Readme.TXT"},
      {"D:\\..\\..\\Show\\readme.txt", "Show/Readme.TXT"},
      {"\\show\\readme.txt", "Show/Readme.TXT"},
      {"D:readme.txt", "Show/Readme.TXT"},
      {"D:\\Show\\readme.txt. ", "Show/Readme.TXT"},
      // 8.3 names, numbered in the byte order of the long names.
      {"D:\\Show\\PROGRA~2\\APP.EXE", "Show/Program Files/app.exe"},
      {"progra~1\\x.dat", "Show/Program Data/x.dat"},
      {"LONGFI~1.TXT", "Show/LongFileName.txt"},
      {"longfi~2.txt", "Show/LongFileNumber.txt"},
      {"LONGFI~3.TXT", "Show/LONGFI~3.TXT"},
      // An exact match wins over a case variant; otherwise the first in byte order.
      {"Both\\data.txt", "Show/Both/data.txt"},
      {"Both\\Data.txt", "Show/Both/Data.txt"},
      {"Both\\DATA.TXT", "Show/Both/Data.txt"},
      // Names in the code page match their UTF-8 form on the host, in any case.
      {"caf\xC9.TXT", "Show/Caf\xC3\xA9.txt"},
      // New names land in the existing folder, spelled as written.
      {"D:\\SHOW\\PICS\\New.bmp", "Show/Pics/New.bmp"},
      {"D:\\Show\\NoDir\\Sub\\x.txt", "Show/NoDir/Sub/x.txt"},
      {"D:\\Show\\readme.txt\\x", "Show/Readme.TXT/x"},
      // Windows stops at a NUL; so must the host path.
      {std::string("readme.txt\0\\..\\..\\x", 20), "Show/Readme.TXT"},
      {"\\\\server\\share\\x.txt", nullptr},
      {"//server/share/x.txt", nullptr},
      {"\\\\?\\UNC\\server\\share", nullptr},
      {"Q:\\x.txt", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const fs::path expected = c.out ? drive / c.out : fs::path();
    EXPECT_EQ(files.ToHost(c.in), expected) << "input: " << c.in;
  }
}

TEST_F(HostFileSystemTest, NoticesFolderChanges) {
  EXPECT_EQ(files.ToHost("pics\\new.bmp"), drive / "Show/Pics/new.bmp");
  EXPECT_EQ(files.ToHost("pics\\PICTUR~1.BMP"), drive / "Show/Pics/PICTUR~1.BMP");
  Put("Show/Pics/NEW.BMP");
  Put("Show/Pics/Picture One.bmp");
  EXPECT_EQ(files.ToHost("pics\\new.bmp"), drive / "Show/Pics/NEW.BMP");
  EXPECT_EQ(files.ToHost("pics\\PICTUR~1.BMP"), drive / "Show/Pics/Picture One.bmp");
  fs::rename(drive / "Show/Pics/NEW.BMP", drive / "Show/Pics/New2.bmp");
  EXPECT_EQ(files.ToHost("pics\\new.bmp"), drive / "Show/Pics/new.bmp");
}

TEST_F(HostFileSystemTest, OddInputsNeverLeaveTheirDrive) {
  const std::vector<std::string> pieces = {
      "\\",   "/",    "..",   ".",        "D:",  "d:",  "C:",
      "Q:",   "show", "PICS", "PROGRA~1", " ",   "...", std::string(1, '\0'),
      "\xE9", "?",    "\\\\", "\\\\?\\",  "UNC", "~",   "*",
      ":"};
  std::mt19937 random(1234);
  for (int i = 0; i < 3000; ++i) {
    std::string input;
    const int count = static_cast<int>(random() % 8) + 1;
    for (int k = 0; k < count; ++k)
      input += pieces[random() % pieces.size()];
    const fs::path host = files.ToHost(input);
    if (host.empty() || input[0] == '/')
      continue;
    const bool inDrive = PrefixOf(drive, host) || PrefixOf(files.DriveC(), host);
    EXPECT_TRUE(inDrive) << "input: " << input << " host: " << host;
    for (const auto& part : host)
      EXPECT_NE(part, "..") << "input: " << input;
  }
}

TEST_F(HostFileSystemTest, HostPathsPassThrough) {
  const std::string host = (drive / "show/../SHOW/x").string();
  EXPECT_EQ(files.ToHost(host), fs::path(host));
}

TEST_F(HostFileSystemTest, ToWindowsUsesTheLongestMount) {
  files.AddMount('E', drive / "Show" / "Pics");
  EXPECT_EQ(files.ToWindows(drive), "D:\\");
  EXPECT_EQ(files.ToWindows(drive / "Show" / "Readme.TXT"), "D:\\Show\\Readme.TXT");
  EXPECT_EQ(files.ToWindows(drive / "Show" / "Pics" / "Photo.BMP"), "E:\\Photo.BMP");
  EXPECT_EQ(files.ToWindows(drive / "Show" / "Pics" / ""), "E:\\");
  EXPECT_EQ(files.ToWindows("/usr/lib"), "Z:\\usr\\lib");
  EXPECT_EQ(files.ToWindows("/"), "Z:\\");
  EXPECT_EQ(files.ToWindows("Readme.TXT"), "D:\\Show\\Readme.TXT");
  EXPECT_EQ(files.ToWindows(drive / "x" / ".." / "Show"), "D:\\Show");
  EXPECT_EQ(files.ToWindows(drive / "Show" / "Caf\xC3\xA9.txt"), "D:\\Show\\Caf\xE9.txt");
  EXPECT_EQ(files.ToWindows(files.DriveC() / "Windows"), "C:\\Windows");

  // The Windows form of any existing host path leads back to it.
  for (const fs::path& p :
       {drive / "Show" / "Caf\xC3\xA9.txt", drive / "Show" / "Pics", fs::path("/usr/lib")}) {
    EXPECT_EQ(files.ToHost(files.ToWindows(p)), p);
  }

  files.RemoveMount('Z');
  EXPECT_EQ(files.ToWindows("/usr/lib"), "");
}

TEST_F(HostFileSystemTest, DriveCIsCreatedOnFirstUse) {
  const fs::path c = env.DataDir() / "drive_c";
  EXPECT_FALSE(fs::exists(c));
  EXPECT_EQ(files.ToHost("c:\\windows\\system32\\x.dll"), c / "Windows" / "System32" / "x.dll");
  EXPECT_TRUE(fs::is_directory(c / "Windows" / "System32"));
  EXPECT_TRUE(fs::is_directory(c / "Temp"));
}

TEST(DriveMount, ReadsLetterFolderAndOptionWords) {
  struct Case {
    const char* text;
    std::optional<DriveMount> mount;
  };
  const Case cases[] = {
      {"d=/media/cdrom:cdrom", DriveMount{'D', "/media/cdrom", true}},
      {"E=/srv/show", DriveMount{'E', "/srv/show", false}},
      // A ':' that no known word follows is part of the folder.
      {"F=/mnt/a:b", DriveMount{'F', "/mnt/a:b", false}},
      {"F=/mnt/a:b:cdrom", DriveMount{'F', "/mnt/a:b", true}},
      {"H=/srv/save:rw", DriveMount{'H', "/srv/save", false, true}},
      {"H=/srv/a:rw:cdrom", DriveMount{'H', "/srv/a", true, true}},
      {"H=/srv/a:cdrom:rw", DriveMount{'H', "/srv/a", true, true}},
      {"H=/srv/a:rwx", DriveMount{'H', "/srv/a:rwx", false}},
      {"G=:rw", std::nullopt},
      {"1=/x", std::nullopt},
      {"G", std::nullopt},
      {"G=", std::nullopt},
      {"GH=/x", std::nullopt},
      {"G=:cdrom", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseDriveMount(c.text), c.mount) << c.text;
}

TEST_F(HostFileSystemTest, MountsFromTheCommandLine) {
  files.AddMount(DriveMount{'E', "/srv/show", false});
  files.AddMount(DriveMount{'F', "/media/disc", true});
  EXPECT_EQ(files.FindMount('e')->root, fs::path("/srv/show"));
  EXPECT_FALSE(files.FindMount('E')->cd);
  EXPECT_EQ(files.FirstCdMount()->letter, 'F');
}

TEST_F(HostFileSystemTest, TracesEveryLookup) {
  std::vector<std::string> lines;
  files.SetTrace([&](const std::string& line) { lines.push_back(line); });
  files.ToHost("pics\\photo.bmp");
  files.ToHost("progra~2\\missing.exe");
  files.ToHost("Q:\\x");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find("case: pics -> Pics"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("case: photo.bmp -> Photo.BMP"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("short name: progra~2 -> Program Files"), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("missing: missing.exe"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find("drive Q: is not mapped"), std::string::npos) << lines[2];
}

TEST(ShortNamesTest, DerivesWindowsShortNames) {
  const std::vector<std::string> names = {
      "Program Files",
      "Program Data",
      "README.TXT",
      "LongFileName.txt",
      ".profile",
      "a b.c.d.txt",
      "r\xC3\xA9sum\xC3\xA9.docx",
      "x+y.txt",
      "readme.htm",
  };
  const std::vector<std::string> expected = {
      "PROGRA~2",   "PROGRA~1",     "README.TXT", "LONGFI~1.TXT", "PROFIL~1",
      "ABCD~1.TXT", "R_SUM_~1.DOC", "X_Y~1.TXT",  "README.HTM",
  };
  EXPECT_EQ(MakeShortNames(names), expected);

  // Past nine collisions the base gives up a character for the wider number.
  std::vector<std::string> many;
  for (int i = 0; i < 11; ++i)
    many.push_back("Long Name " + std::to_string(100 + i) + ".txt");
  const auto shorts = MakeShortNames(many);
  EXPECT_EQ(shorts[0], "LONGNA~1.TXT");
  EXPECT_EQ(shorts[8], "LONGNA~9.TXT");
  EXPECT_EQ(shorts[9], "LONGN~10.TXT");
  EXPECT_EQ(shorts[10], "LONGN~11.TXT");
}

TEST_F(HostFileSystemTest, SystemFoldersAreOwnedFolders) {
  files.AddMount(DriveMount{'E', drive.string(), true});
  const SystemFolders folders = MakeSystemFolders(files, env);
  EXPECT_EQ(folders.windows, "C:\\Windows\\");
  EXPECT_EQ(folders.system, "C:\\Windows\\System32\\");
  EXPECT_EQ(folders.cd, "E:\\");
  EXPECT_EQ(folders.embedded, folders.temp + "QLMPlayer\\");
  EXPECT_EQ(folders.temp.substr(0, 3), "Z:\\");

  const fs::path tempHost = files.ToHost(folders.temp);
  EXPECT_EQ(tempHost, env.tmpDir / "qlmplayer-1000");
  struct stat st {};
  ASSERT_EQ(stat(tempHost.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(fs::is_directory(files.ToHost(folders.embedded)));
  EXPECT_TRUE(fs::is_directory(files.ToHost(folders.system)));
  // The doubled backslash the path macros leave behind still finds the folder.
  EXPECT_EQ(files.ToHost(folders.embedded + "\\snd.tmp"), tempHost / "QLMPlayer" / "snd.tmp");

  files.RemoveMount('E');
  EXPECT_EQ(MakeSystemFolders(files, env).cd, "");
}

TEST_F(HostFileSystemTest, PlantedTempLinkIsNotFollowed) {
  const fs::path elsewhere = temp.Path() / "elsewhere";
  fs::create_directories(elsewhere);
  fs::create_directory_symlink(elsewhere, env.tmpDir / "qlmplayer-1000");
  const SystemFolders folders = MakeSystemFolders(files, env);
  const fs::path tempHost = files.ToHost(folders.temp);
  EXPECT_EQ(tempHost.parent_path(), env.tmpDir);
  EXPECT_NE(tempHost.filename(), "qlmplayer-1000");
  EXPECT_TRUE(fs::is_directory(tempHost / "QLMPlayer"));
  EXPECT_FALSE(fs::exists(elsewhere / "QLMPlayer"));
}

}  // namespace
}  // namespace qlm
