// The trust policy at the file system's door: which script paths reach the host, where writes
// into the presentation's folder land, and what is reported.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "DriveFixture.h"
#include "platform/Sha256.h"
#include "platform/TrustPolicy.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

std::string ReadBack(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// D:\Show is the presentation's folder; C:\Save a writable drive; D:\Show\profile.ini the
// player's profile, D:\Show\trust.ini its trust store; D:\Secret.txt and a folder outside the
// drive are out of reach, and links in the folder lead to both.
class TrustPolicyTest : public DriveFixture {
 protected:
  TrustPolicyTest() {
    Put("Show/a.txt", "inside");
    Put("Show/Sub/b.txt", "below");
    Put("Show/profile.ini", "[QLM]\nX=1\n");
    Put("Show/trust.ini", "[id]\n");
    Put("Secret.txt", "secret");
    temp.Touch("outside/secret.txt", "far");
    fs::create_symlink(temp.Path() / "outside/secret.txt", drive / "Show/out.txt");
    fs::create_symlink(temp.Path() / "outside", drive / "Show/outdir");
    fs::create_symlink(drive / "Show/a.txt", drive / "Show/near.txt");
    files.AddMount('C', temp.Path() / "c");
    fs::create_directories(temp.Path() / "c");
    overlay = temp.Path() / "overlay/id";

    const fs::path show = fs::canonical(drive / "Show");
    policy.SetPresentationFolder(drive / "Show", show);
    policy.SetOverlay(overlay);
    policy.AddWritable(fs::canonical(temp.Path() / "c"));
    policy.AddProtected(show / "profile.ini");
    policy.AddProtected(temp.Path() / "overlay");
    policy.AddSealed(show / "trust.ini");
    files.SetTrustPolicy(&policy, [this](std::string_view what, const std::string& path) {
      blocked.push_back(std::string(what) + " " + path);
    });
  }

  fs::path overlay;
  TrustPolicy policy;
  std::vector<std::string> blocked;
};

TEST_F(TrustPolicyTest, ReadsStayInTheFolderTreeAndItsReach) {
  const struct {
    const char* path;
    const char* content;  // null: blocked, reads as a missing file
  } kCases[] = {
      {"a.txt", "inside"},
      {"D:\\Show\\Sub\\B.TXT", "below"},
      {"Sub\\..\\a.txt", "inside"},
      {"\\\\?\\D:\\Show\\a.txt", "inside"},
      {"near.txt", "inside"},  // a link that stays inside
      {"..\\Secret.txt", nullptr},
      {"Sub\\..\\..\\Secret.txt", nullptr},
      {"\\\\?\\D:\\Show\\..\\Secret.txt", nullptr},
      {"D:\\Secret.txt", nullptr},
      {"out.txt", nullptr},  // a link out of the folder
      {"outdir\\secret.txt", nullptr},
      {"Z:\\etc\\hostname", nullptr},
      {"/etc/hostname", nullptr},
      {"Q:\\a.txt", nullptr},  // a drive nobody mapped
      {"profile.ini", nullptr},
      {"trust.ini", nullptr},
  };
  for (const auto& c : kCases) {
    blocked.clear();
    const std::optional<std::string> bytes = files.ReadFile(c.path);
    if (c.content) {
      EXPECT_EQ(bytes, std::optional<std::string>(c.content)) << c.path;
      EXPECT_TRUE(blocked.empty()) << c.path;
    } else {
      EXPECT_FALSE(bytes) << c.path;
      EXPECT_EQ(blocked, std::vector<std::string>{std::string("read ") + c.path}) << c.path;
      EXPECT_FALSE(files.Exists(c.path)) << c.path;
    }
  }
}

TEST_F(TrustPolicyTest, WritesIntoTheFolderLandInTheOverlayAndReadsSeeThem) {
  ASSERT_TRUE(files.WriteFile("a.txt", "changed"));
  ASSERT_TRUE(files.WriteFile("Sub\\New.txt", "new"));
  ASSERT_TRUE(files.AppendFile("Sub\\New.txt", "+"));
  ASSERT_TRUE(files.Copy("a.txt", "copy.txt"));
  EXPECT_EQ(ReadBack(drive / "Show/a.txt"), "inside");
  EXPECT_FALSE(fs::exists(drive / "Show/Sub/New.txt"));
  EXPECT_FALSE(fs::exists(drive / "Show/copy.txt"));
  EXPECT_EQ(ReadBack(overlay / "a.txt"), "changed");
  EXPECT_EQ(files.ReadFile("a.txt"), "changed");
  EXPECT_EQ(files.ReadFile("Sub\\New.txt"), "new+");
  EXPECT_EQ(files.ReadFile("copy.txt"), "changed");

  const std::optional<std::vector<FolderEntry>> listed = files.ListFolder("Sub");
  ASSERT_TRUE(listed);
  std::set<std::string> names;
  for (const FolderEntry& e : *listed)
    names.insert(e.path);
  EXPECT_EQ(names, (std::set<std::string>{"D:\\Show\\Sub\\b.txt", "D:\\Show\\Sub\\New.txt"}));
  EXPECT_TRUE(blocked.empty());
}

TEST_F(TrustPolicyTest, WritesThroughLinksOutOfTheFolderLandInTheOverlay) {
  ASSERT_TRUE(files.WriteFile("out.txt", "mine"));
  ASSERT_TRUE(files.WriteFile("outdir\\dropped.txt", "mine"));
  EXPECT_EQ(ReadBack(temp.Path() / "outside/secret.txt"), "far");
  EXPECT_FALSE(fs::exists(temp.Path() / "outside/dropped.txt"));
  EXPECT_EQ(ReadBack(overlay / "out.txt"), "mine");
  EXPECT_EQ(ReadBack(overlay / "outdir/dropped.txt"), "mine");
  // The saved copy is what the folder shows from now on.
  EXPECT_EQ(files.ReadFile("out.txt"), "mine");
}

TEST_F(TrustPolicyTest, WritesOutOfReachAreRefusedAndReported) {
  ASSERT_TRUE(files.WriteFile("C:\\x.txt", "ok"));
  EXPECT_EQ(ReadBack(temp.Path() / "c/x.txt"), "ok");
  const char* kRefused[] = {
      "..\\Secret.txt", "D:\\Secret.txt", "Z:\\tmp\\x.txt", "/tmp/qlm-trust-x.txt",
      "profile.ini",    "trust.ini",      "Q:\\x.txt"};
  for (const char* path : kRefused) {
    blocked.clear();
    EXPECT_FALSE(files.WriteFile(path, "evil")) << path;
    EXPECT_EQ(blocked, std::vector<std::string>{std::string("write ") + path}) << path;
  }
  EXPECT_FALSE(files.Copy("a.txt", "D:\\Secret.txt"));
  EXPECT_FALSE(files.Rename("a.txt", "..\\moved.txt"));
  EXPECT_FALSE(files.Remove("..\\Secret.txt"));
  EXPECT_EQ(ReadBack(drive / "Secret.txt"), "secret");
  EXPECT_EQ(ReadBack(drive / "Show/profile.ini"), "[QLM]\nX=1\n");
  EXPECT_FALSE(fs::exists("/tmp/qlm-trust-x.txt"));
}

TEST_F(TrustPolicyTest, TrustingEverythingWritesThroughButNeverReachesTheTrustStore) {
  policy.SetTrustAll(true);
  EXPECT_EQ(files.ReadFile("..\\Secret.txt"), "secret");
  EXPECT_EQ(files.ReadFile("out.txt"), "far");
  ASSERT_TRUE(files.WriteFile("a.txt", "through"));
  EXPECT_EQ(ReadBack(drive / "Show/a.txt"), "through");
  EXPECT_TRUE(files.WriteFile("profile.ini", "[QLM]\n"));
  EXPECT_FALSE(files.ReadFile("trust.ini"));
  EXPECT_FALSE(files.WriteFile("trust.ini", "[id]\nlaunch x=1\n"));
  EXPECT_FALSE(files.WriteFile("\\\\?\\D:\\Show\\Sub\\..\\TRUST.INI", "x"));
  EXPECT_EQ(ReadBack(drive / "Show/trust.ini"), "[id]\n");
}

// An inward link and a climb after it: read as text the path leads out of the folder, walked
// on the disk it stays inside. Every door (read, stat, list, copy, the file handed to a
// library, a write) acts on the file the walk found, trusted or not.
TEST_F(TrustPolicyTest, EveryDoorActsOnTheFileItJudged) {
  fs::create_directories(drive / "Show/a/a/a");
  fs::create_symlink("a/a/a", drive / "Show/deep");
  Put("Show/outside/secret.txt", "twin");
  temp.Touch("outside/other.txt", "far");
  const std::string climb = (drive / "Show/deep/../../../outside").string();
  const std::string file = climb + "/secret.txt";

  for (const bool trusted : {false, true}) {
    SCOPED_TRACE(trusted ? "trusted" : "default");
    policy.SetTrustAll(trusted);
    EXPECT_EQ(files.ReadFile(file), "twin");
    ASSERT_TRUE(files.Stat(file));
    EXPECT_EQ(files.Stat(file)->size, 4u);
    EXPECT_EQ(files.HostFileToRead(file), fs::canonical(drive / "Show/outside/secret.txt"));
    const FileSystem::Opened handed = files.OpenForLibrary(file);
    ASSERT_TRUE(handed.file);
    EXPECT_EQ(ReadBack(handed.hostPath), "twin");
    const std::optional<std::vector<FolderEntry>> listed = files.ListFolder(climb);
    ASSERT_TRUE(listed);
    ASSERT_EQ(listed->size(), 1u);
    EXPECT_EQ(listed->front().name, "secret.txt");
    EXPECT_TRUE(files.Copy(file, "copy.txt"));
    EXPECT_EQ(files.ReadFile("copy.txt"), "twin");
    EXPECT_TRUE(files.WriteFile(file, "mine"));
    EXPECT_EQ(files.ReadFile(file), "mine");
  }
  EXPECT_EQ(ReadBack(temp.Path() / "outside/secret.txt"), "far");
  EXPECT_TRUE(blocked.empty());
}

// A path that leads nowhere inside the folder (a loop, a file taken for a folder) is missing
// there, not a refusal.
TEST_F(TrustPolicyTest, PathsThatLeadNowhereInsideAreMissingNotRefused) {
  fs::create_symlink("loop", drive / "Show/loop");
  for (const char* path : {"loop", "loop\\x.txt", "a.txt\\x.txt"}) {
    EXPECT_FALSE(files.ReadFile(path)) << path;
    EXPECT_FALSE(files.WriteFile(path, "x")) << path;
  }
  EXPECT_TRUE(blocked.empty()) << blocked.front();
}

// A second process swaps a plain file, and a folder, for links out of the presentation's
// folder while the script reads them in a loop: no read ever yields the outside file.
TEST_F(TrustPolicyTest, SwappingInALinkOutDuringReadsNeverYieldsTheOutsideFile) {
  Put("Show/race.txt", "inside");
  fs::create_symlink(temp.Path() / "outside/secret.txt", drive / "Show/race-link");
  Put("Show/racedir/secret.txt", "inside");
  fs::create_symlink(temp.Path() / "outside", drive / "Show/racedir-link");

  std::atomic<bool> stop = false;
  std::atomic<long> swaps = 0;
  std::thread swapper([&] {
    const fs::path show = drive / "Show";
    while (!stop) {
      for (const char* name : {"race.txt", "racedir"}) {
        const std::string plain = (show / name).string();
        const std::string link =
            (show / (std::string(name) == "race.txt" ? "race-link" : "racedir-link")).string();
        if (::renameat2(AT_FDCWD, plain.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE) == 0)
          ++swaps;
      }
    }
  });
  long insideReads = 0, outsideReads = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < end) {
    for (const char* path : {"race.txt", "racedir\\secret.txt"}) {
      const std::optional<std::string> bytes = files.ReadFile(path);
      insideReads += bytes == "inside";
      outsideReads += bytes == "far";
      const FileSystem::Opened handed = files.OpenForLibrary(path);
      outsideReads += handed.file && ReadBack(handed.hostPath) == "far";
    }
  }
  stop = true;
  swapper.join();
  EXPECT_EQ(outsideReads, 0);
  EXPECT_GT(insideReads, 0);
  EXPECT_GT(swaps.load(), 100);
}

// The overlay mirrors the folders of the disc: a write into a folder that exists neither there
// nor in the overlay fails as it would on the disc, until the presentation makes the folder.
TEST_F(TrustPolicyTest, AWriteIntoAFolderThatExistsNowhereFails) {
  EXPECT_FALSE(files.WriteFile("nodir\\f.txt", "x"));
  EXPECT_FALSE(files.AppendFile("nodir\\f.txt", "x"));
  EXPECT_FALSE(files.Copy("a.txt", "nodir\\f.txt"));
  EXPECT_FALSE(files.WriteFile("Sub\\nodir\\f.txt", "x"));
  EXPECT_FALSE(fs::exists(overlay / "nodir"));
  EXPECT_FALSE(fs::exists(overlay / "Sub/nodir"));

  EXPECT_TRUE(files.WriteFile("Sub\\c.txt", "mirrored"));
  EXPECT_EQ(ReadBack(overlay / "Sub/c.txt"), "mirrored");
  EXPECT_TRUE(files.CreateFolder("nodir\\deeper"));
  EXPECT_TRUE(files.WriteFile("nodir\\deeper\\f.txt", "made"));
  EXPECT_EQ(files.ReadFile("nodir\\deeper\\f.txt"), "made");
  EXPECT_FALSE(fs::exists(drive / "Show/nodir"));
  EXPECT_TRUE(blocked.empty());
}

// What the overlay already holds counts; a write past the quota fails and leaves the file as it
// was, is reported once, and room made by a removal or a smaller rewrite can be used again.
// Writable drives do not count.
TEST_F(TrustPolicyTest, TheOverlayHoldsNoMoreThanItsQuota) {
  fs::create_directories(overlay);
  std::ofstream(overlay / "old.txt", std::ios::binary) << std::string(8192, 'o');
  policy.SetOverlayQuota(32768);
  const std::string block(4096, 'x');
  int appended = 0;
  while (appended < 100 && files.AppendFile("log.txt", block))
    ++appended;
  EXPECT_EQ(appended, 6) << "8 KiB held, 24 KiB appended";
  EXPECT_EQ(ReadBack(overlay / "log.txt").size(), 6u * 4096);
  EXPECT_FALSE(files.WriteFile("other.txt", "y"));
  EXPECT_FALSE(files.Copy("a.txt", "copy.txt"));
  EXPECT_FALSE(files.CreateFolder("more"));
  EXPECT_FALSE(fs::exists(overlay / "other.txt"));
  EXPECT_FALSE(fs::exists(overlay / "more"));
  EXPECT_EQ(blocked, std::vector<std::string>{"quota log.txt"});

  EXPECT_TRUE(files.WriteFile("log.txt", "short"));
  EXPECT_TRUE(files.WriteFile("other.txt", "y"));
  EXPECT_TRUE(files.Remove("old.txt"));
  EXPECT_TRUE(files.WriteFile("big.txt", std::string(24576, 'b')));
  EXPECT_FALSE(files.WriteFile("bigger.txt", block));
  EXPECT_TRUE(files.WriteFile("C:\\big.txt", std::string(65536, 'c')));
  EXPECT_EQ(blocked.size(), 1u);
}

TEST(TrustPolicyRules, FilesOfAReadableFolderButNotItsSubFolders) {
  TrustPolicy policy;
  policy.AddReadableFiles("/opt/player");
  policy.AddReadable("/opt/player/Plugins");
  const struct {
    const char* path;
    bool readable;
  } kCases[] = {
      {"/opt/player/qlmplayer", true},
      {"/opt/player/Clock.so", true},
      {"/opt/player/Plugins/x/Clock.so", true},
      {"/opt/player/shows/a.txt", false},
      {"/opt/player2/a.txt", false},
      {"/opt/a.txt", false},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(policy.Decide(FileAccess::kRead, c.path, c.path).Allowed(), c.readable) << c.path;
    EXPECT_FALSE(policy.Decide(FileAccess::kWrite, c.path, c.path).Allowed()) << c.path;
  }
}

TEST(Sha256Test, DigestsOfKnownTexts) {
  EXPECT_EQ(Sha256::Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256::Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // Two blocks of padding.
  EXPECT_EQ(Sha256::Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

}  // namespace
}  // namespace qlm::test
