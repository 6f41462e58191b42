#include "platform/host/ModuleLibrary.h"

#include <gtest/gtest.h>

#include "TempFolder.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

// A stand-alone presentation is the player itself with a document appended; copied onto a disc
// or into an archive folder it lies far from the player's installation, and still finds the
// installed modules. A link to the program finds them from the program's real folder.
TEST(ModuleLibraryTest, ACopiedAwayProgramStillFindsTheInstalledModules) {
  test::TempFolder temp;
  const fs::path away = temp.Touch("disc/show");
  const fs::path link = temp.Path() / "desktop/show";
  fs::create_directories(link.parent_path());
  fs::create_symlink(away, link);

  const std::vector<fs::path> built = ModuleFolders(fs::path(QLM_BINARY_DIR) / "qlmplayer");
  const std::vector<fs::path> copied = ModuleFolders(away);
  ASSERT_GE(copied.size(), 2u);
  EXPECT_EQ(copied.front(), fs::canonical(away).parent_path());
  EXPECT_EQ(ModuleFolders(link), copied);
  EXPECT_TRUE(copied.back().is_absolute());
  EXPECT_EQ(copied.back(), built.back());
  EXPECT_EQ(ModuleCandidates(away, "qlm_speech.so").back(), copied.back() / "qlm_speech.so");
}

TEST(ModuleLibraryTest, ANonModuleIsPassedOverAndTheReasonKept) {
  test::TempFolder temp;
  const fs::path notLibrary = temp.Touch("a/qlm_speech.so", "not a library");
  std::string error;
  bool adopted = false;
  EXPECT_FALSE(LoadModule(
      {temp.Path() / "missing/qlm_speech.so", notLibrary}, "qlm_entry",
      [&adopted](void*) { return adopted = true; }, error));
  EXPECT_FALSE(adopted);
  EXPECT_NE(error.find("qlm_speech.so"), std::string::npos) << error;

  error.clear();
  EXPECT_FALSE(LoadModule(
      {temp.Path() / "missing/qlm_speech.so"}, "qlm_entry", [](void*) { return true; }, error));
  EXPECT_EQ(error, "the module qlm_speech.so was not found");
}

}  // namespace
}  // namespace qlm
