#include "platform/host/IniProfileStore.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "FileSizeLimit.h"
#include "TempFolder.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class IniProfileStoreTest : public ::testing::Test {
 protected:
  fs::path Dir() const { return temp.Path() / "profile"; }
  void WriteFile(const std::string& content) const {
    fs::create_directories(Dir());
    std::ofstream(Dir() / "profile.ini", std::ios::binary) << content;
  }
  std::size_t FilesInDir() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(Dir()), fs::directory_iterator()));
  }

  test::TempFolder temp;
};

TEST_F(IniProfileStoreTest, RoundTripsIntegersAndAnyBytes) {
  const int numbers[] = {0, 1, -2, 120, INT_MAX, INT_MIN};
  const std::string texts[] = {
      "",
      "plain text",
      "C:\\Show\\pic.bmp",
      "line 1\nline 2\r\nline 3\r",
      "  blanks at both ends\t ",
      std::string("nul\0inside", 10),
      "\x01\x1F\x7F control",
      "\xE9\xFF\x80 high bytes",
      "=;[]# \\x41 \\n not escapes",
  };
  const std::string entries[] = {"Name$", "with=equals", " padded ", "[bracket", ";semi", "a\nb"};
  {
    IniProfileStore store(Dir());
    for (int i = 0; i < 6; ++i) {
      ASSERT_TRUE(store.WriteInt("QLM", "n" + std::to_string(i), numbers[i])) << store.LastError();
    }
    for (int i = 0; i < 9; ++i) {
      ASSERT_TRUE(store.WriteString("Texts", "t" + std::to_string(i), texts[i]));
    }
    for (const auto& e : entries)
      ASSERT_TRUE(store.WriteString("Odd ]Names[", e, e + "!"));
  }
  const IniProfileStore store(Dir());
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(store.GetInt("QLM", "n" + std::to_string(i), 77), numbers[i]);
  }
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(store.GetString("Texts", "t" + std::to_string(i), "missing"), texts[i]) << i;
  }
  for (const auto& e : entries)
    EXPECT_EQ(store.GetString("Odd ]Names[", e, "missing"), e + "!");
  EXPECT_EQ(store.GetString("QLM", "n2", ""), "-2");
  EXPECT_EQ(store.GetString("QLM", "absent", "dflt"), "dflt");
  EXPECT_EQ(store.GetInt("Absent", "n1", 5), 5);
}

TEST_F(IniProfileStoreTest, WritesTheDocumentedLayout) {
  IniProfileStore store(Dir());
  store.WriteInt("QLM", "X", 120);
  store.WriteString("QLM", "Name$", "a\\b\nc ");
  store.WriteInt("Font", "Height", -13);
  EXPECT_EQ(ReadText(store.File()),
            "; QLM Player settings. Escapes: \\\\ backslash, \\n LF, \\r CR, \\xHH any byte.\n"
            "[QLM]\n"
            "X=120\n"
            "Name$=a\\\\b\\nc\\x20\n"
            "\n"
            "[Font]\n"
            "Height=-13\n");
}

TEST_F(IniProfileStoreTest, ReadsIntegersLikeTheWindowsProfile) {
  WriteFile("[QLM]\nA=12abc\nB = -7 \nC=abc\nD=\nE=99999999999\nF=-99999999999\nG=+5\nH=0x10\n");
  const IniProfileStore store(Dir());
  struct Case {
    const char* entry;
    int value;
  };
  const Case cases[] = {{"A", 12},      {"B", -7}, {"C", 42}, {"D", 42}, {"E", INT_MAX},
                        {"F", INT_MIN}, {"G", 5},  {"H", 0},  {"Z", 42}};
  for (const auto& c : cases)
    EXPECT_EQ(store.GetInt("QLM", c.entry, 42), c.value) << c.entry;
}

TEST_F(IniProfileStoreTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  IniProfileStore store(Dir());
  store.WriteInt("QLM", "Score", 1);
  EXPECT_EQ(store.GetInt("qlm", "SCORE", 0), 1);
  store.WriteInt("Qlm", "SCORE", 2);
  EXPECT_EQ(store.GetInt("QLM", "score", 0), 2);
  const std::string text = ReadText(store.File());
  EXPECT_NE(text.find("[QLM]\nScore=2\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("SCORE"), std::string::npos) << text;
  // Bytes above ASCII compare exactly.
  store.WriteString("QLM", "\xC9t\xE9", "upper");
  EXPECT_EQ(store.GetString("QLM", "\xE9t\xE9", "none"), "none");
}

TEST_F(IniProfileStoreTest, DamagedFileIsReadAndKeptOnRewrite) {
  const std::string garbage = std::string("\x00\x01\xFF garbage", 11);
  WriteFile("orphan=1\r\n; a comment\r\n[QLM]\r\nX=5\r\nno equals sign\r\n" + garbage +
            "\n[broken\nY=6");
  IniProfileStore store(Dir());
  EXPECT_EQ(store.GetInt("QLM", "X", 0), 5);
  EXPECT_EQ(store.GetInt("QLM", "Y", 0), 6);  // "[broken" is no section header
  EXPECT_EQ(store.GetInt("", "orphan", 0), 0);
  ASSERT_TRUE(store.WriteInt("QLM", "Z", 7));
  const std::string text = ReadText(store.File());
  EXPECT_NE(text.find(garbage), std::string::npos);
  EXPECT_NE(text.find("; a comment"), std::string::npos);
  EXPECT_NE(text.find("orphan=1"), std::string::npos);
  EXPECT_NE(text.find("Y=6\nZ=7\n"), std::string::npos) << text;
}

TEST_F(IniProfileStoreTest, FailedSaveKeepsTheOldFile) {
  IniProfileStore store(Dir());
  ASSERT_TRUE(store.WriteString("QLM", "Keep", "old value"));
  const std::string before = ReadText(store.File());

  bool written = false;
  {
    test::FileSizeLimit full(4096);
    written = store.WriteString("QLM", "Big", std::string(100000, 'x'));
  }

  EXPECT_FALSE(written);
  EXPECT_FALSE(store.LastError().empty());
  EXPECT_EQ(ReadText(store.File()), before);
  EXPECT_EQ(FilesInDir(), 1u) << "the temporary file is removed";
  EXPECT_EQ(store.GetString("QLM", "Keep", ""), "old value");
  EXPECT_EQ(store.GetString("QLM", "Big", "none"), "none");
}

TEST_F(IniProfileStoreTest, UnreadableFileIsNeverReplaced) {
  fs::create_directories(Dir() / "profile.ini");
  fs::path inside = Dir() / "profile.ini" / "keep";
  std::ofstream(inside) << "x";
  IniProfileStore store(Dir());
  EXPECT_EQ(store.GetInt("QLM", "X", 3), 3);
  EXPECT_FALSE(store.WriteInt("QLM", "X", 1));
  EXPECT_NE(store.LastError().find("profile.ini"), std::string::npos) << store.LastError();
  EXPECT_TRUE(fs::exists(inside));
}

TEST_F(IniProfileStoreTest, LeftoverFromACrashedSaveIsIgnored) {
  IniProfileStore store(Dir());
  ASSERT_TRUE(store.WriteInt("QLM", "X", 1));
  std::ofstream(Dir() / "profile.ini.Ab12Cd") << "[QLM]\nX=2\nY=";
  EXPECT_EQ(IniProfileStore(Dir()).GetInt("QLM", "X", 0), 1);
}

// Opening the store removes temporary files of killed saves once they are a minute old and no
// save holds the folder's lock; young ones, other files and locked folders are left alone.
TEST_F(IniProfileStoreTest, OpeningRemovesStaleTemporaryFiles) {
  struct Case {
    const char* name;
    int ageSeconds;
    bool removed;
  } cases[] = {
      {"profile.ini.Ab12Cd", 120, true},     {".profile.ini.0badf00d", 61 * 60, true},
      {"profile.ini.Xy34Zw", 10, false},     {"profile.ini.bak", 120, false},
      {"profile.ini.Ab-2Cd", 120, false},    {"other.ini.Ab12Cd", 120, false},
      {"profile.ini.Ab12Cd9ef", 120, false},
  };
  fs::create_directories(Dir());
  const auto now = fs::file_time_type::clock::now();
  auto plant = [&] {
    for (const Case& c : cases) {
      std::ofstream(Dir() / c.name) << "[QLM]\nX=2";
      fs::last_write_time(Dir() / c.name, now - std::chrono::seconds(c.ageSeconds));
    }
  };
  plant();
  {
    // A save in progress holds the folder's lock: nothing is touched.
    const int dirFd = ::open(Dir().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dirFd, 0);
    ASSERT_EQ(::flock(dirFd, LOCK_EX), 0);
    IniProfileStore locked(Dir());
    ::close(dirFd);
    for (const Case& c : cases)
      EXPECT_TRUE(fs::exists(Dir() / c.name)) << c.name;
  }
  IniProfileStore store(Dir());
  for (const Case& c : cases)
    EXPECT_EQ(fs::exists(Dir() / c.name), !c.removed) << c.name;
  EXPECT_TRUE(store.WriteInt("QLM", "X", 1));
}

TEST_F(IniProfileStoreTest, TwoStoresShareOneFile) {
  IniProfileStore a(Dir());
  IniProfileStore b(Dir());
  EXPECT_EQ(a.GetInt("QLM", "Y", -1), -1);  // a caches the missing file
  ASSERT_TRUE(a.WriteInt("QLM", "X", 1));
  ASSERT_TRUE(b.WriteInt("QLM", "Y", 2));
  EXPECT_EQ(a.GetInt("QLM", "Y", 0), 2);
  EXPECT_EQ(b.GetInt("QLM", "X", 0), 1);
  ASSERT_TRUE(a.WriteInt("QLM", "X", 3));
  EXPECT_EQ(b.GetInt("QLM", "X", 0), 3);
  EXPECT_EQ(b.GetInt("QLM", "Y", 0), 2);
}

TEST_F(IniProfileStoreTest, LivesInTheUserConfigFolder) {
  HostEnvironment env = temp.Environment();
  EXPECT_EQ(IniProfileStore::ForUser(env).File(), env.xdgConfigHome / "qlmplayer" / "profile.ini");
  env.xdgConfigHome.clear();
  EXPECT_EQ(IniProfileStore::ForUser(env).File(),
            env.home / ".config" / "qlmplayer" / "profile.ini");

  // XDG folders must be absolute; a relative one is ignored.
  const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = savedConfig ? savedConfig : "";
  setenv("XDG_CONFIG_HOME", "relative/dir", 1);
  EXPECT_TRUE(HostEnvironment::FromProcess().xdgConfigHome.empty());
  setenv("XDG_CONFIG_HOME", temp.Path().c_str(), 1);
  EXPECT_EQ(HostEnvironment::FromProcess().ConfigDir(), temp.Path() / "qlmplayer");
  if (savedConfig) {
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
}  // namespace qlm
