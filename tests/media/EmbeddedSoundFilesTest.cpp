#include "media/EmbeddedSoundFiles.h"

#include <gtest/gtest.h>

#include "media/MediaFixture.h"

namespace qlm {
namespace {

EmbeddedSound Sound(uint32_t kind, std::string name) {
  EmbeddedSound sound;
  sound.kind = kind;
  sound.name = std::move(name);
  return sound;
}

TEST(EmbeddedSoundFiles, NamesCarryTheKindPrefix) {
  const struct {
    uint32_t kind;
    const char* name;
    std::optional<std::string> file;
  } cases[] = {
      {1, "intro", "_qlt_wav_intro.tmp"},
      {2, "m", "_qlt_mod_m.tmp"},
      {3, "m", "_qlt_mid_m.tmp"},
      {4, "m", "_qlt_s3m_m.tmp"},
      {5, "m", "_qlt_xm_m.tmp"},
      {6, "m", "_qlt_it_m.tmp"},
      {7, "m", "_qlt_rmi_m.tmp"},
      {0, "m", std::nullopt},
      {8, "m", std::nullopt},
      {10, "m", std::nullopt},
      {1, "..\\..\\evil", std::nullopt},
      {1, "a/b", std::nullopt},
      {1, "", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EmbeddedSoundFiles::TemporaryName(Sound(c.kind, c.name)), c.file) << c.name;
}

TEST(EmbeddedSoundFiles, RemovesOnlyTheSoundFilesOfKindsOneToSeven) {
  test::TempFolder folder("sounds");
  for (const char* name : {"_qlt_wav_a.tmp", "_qlt_xm_b.tmp", "c", "_qlt_wav_keep.tmp"})
    std::ofstream(folder.Path() / name) << "x";
  const std::vector<EmbeddedSound> sounds = {Sound(1, "a"), Sound(5, "b"), Sound(10, "c"),
                                             Sound(8, "keep"), Sound(1, "gone")};
  const test::FolderFileSystem files(folder.Path());
  const auto removed = EmbeddedSoundFiles::Remove(sounds, files, "C:\\");
  EXPECT_EQ(removed, (std::vector<std::string>{"C:\\_qlt_wav_a.tmp", "C:\\_qlt_xm_b.tmp"}));
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "_qlt_wav_a.tmp"));
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "_qlt_xm_b.tmp"));
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "c"));
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "_qlt_wav_keep.tmp"));
}

}  // namespace
}  // namespace qlm
