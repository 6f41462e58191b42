#include "tools/StandaloneFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/TempFolder.h"

namespace qlm {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

constexpr std::string_view kId = "{0123ABCD-4567-89EF-0123-456789ABCDEF}";

Bytes Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(StandaloneFile, WriteStandaloneCopiesPlayerAndAppends) {
  test::TempFolder temp;
  std::string document = "\x0BQuillmark29";
  document.append(60, 'a');
  const Bytes doc(document.begin(), document.end());
  const Bytes player = {0x7F, 'E', 'L', 'F', 'p', 'l', 'a', 'y'};
  const fs::path playerPath = temp.Touch("player", std::string(player.begin(), player.end()));
  const fs::path out = temp.Path() / "show.exe";
  WriteStandalone(playerPath, doc, true, kId, out);
  EXPECT_EQ(Read(out), BuildStandalone(player, doc, true, kId));
  EXPECT_TRUE(IsStandaloneFile(out));
  const StandaloneReadResult read = ReadStandaloneContainer(out);
  ASSERT_TRUE(read.container);
  EXPECT_EQ(read.container->identifier, kId);

  // The same player can be bundled again over an existing output, which keeps its mode.
  fs::permissions(out, fs::perms::owner_all);
  WriteStandalone(playerPath, doc, false, "", out);
  EXPECT_EQ(Read(out), BuildStandalone(player, doc, false, ""));
  EXPECT_EQ(fs::status(out).permissions(), fs::perms::owner_all);

  EXPECT_THROW(WriteStandalone(temp.Path() / "no-player", doc, false, "", temp.Path() / "x.exe"),
               std::runtime_error);
  EXPECT_THROW(WriteStandalone(playerPath, doc, false, "", temp.Path() / "no" / "x.exe"),
               std::runtime_error);
  EXPECT_FALSE(fs::exists(temp.Path() / "x.exe"));
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path()), fs::directory_iterator()), 2)
      << "nothing but the player and the first output";
}

TEST(StandaloneFile, MissingFileCannotOpen) {
  test::TempFolder temp;
  const fs::path path = temp.Path() / "missing.exe";
  const StandaloneReadResult result = ReadStandaloneContainer(path);
  EXPECT_EQ(result.status, StandaloneStatus::kCannotOpen);
  EXPECT_EQ(result.message, "Cannot Open " + path.string() + "\nNo such file or directory");
  EXPECT_FALSE(IsStandaloneFile(path));
}

}  // namespace
}  // namespace qlm
