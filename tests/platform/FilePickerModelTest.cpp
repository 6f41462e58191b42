// The file, save and folder pickers apart from their window: filter texts, listing through the
// file system, what each mode accepts, the default extension, and the presentation's reach.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DriveFixture.h"
#include "platform/FileFilter.h"
#include "platform/FilePickerModel.h"
#include "platform/TrustPolicy.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

TEST(FileFilterTest, ParsesLabelsAndPatternsAndFallsBackToAllFiles) {
  struct Case {
    const char* text;
    std::vector<FileFilterChoice> expected;
  };
  const Case cases[] = {
      {"Text (*.txt)|*.txt|All Files (*.*)|*.*||",
       {{"Text (*.txt)", {"*.txt"}}, {"All Files (*.*)", {"*.*"}}}},
      {"Pictures|*.bmp; *.JPG;*.gif|", {{"Pictures", {"*.bmp", "*.JPG", "*.gif"}}}},
      // A label with no patterns is dropped; an empty label shows the patterns.
      {"Nothing||Lists|*.m3l|", {{"Lists", {"*.m3l"}}}},
      {"|*.qmd|", {{"*.qmd", {"*.qmd"}}}},
      {"", {{"All Files (*.*)", {"*.*"}}}},
      {"just a label", {{"All Files (*.*)", {"*.*"}}}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ParseFileFilter(c.text), c.expected) << c.text;
}

TEST(FileFilterTest, WildcardsMatchWithoutRegardToCase) {
  struct Case {
    const char* name;
    const char* pattern;
    bool matches;
  };
  const Case cases[] = {
      {"Song.MP3", "*.mp3", true},    {"song.mp3x", "*.mp3", false}, {"README", "*.*", true},
      {"a.b.c", "*.c", true},         {"abc", "a?c", true},          {"ac", "a?c", false},
      {"show1.qmd", "show?.*", true}, {"x.txt", "*.t*t", true},      {"x.tx", "*.t*t", false},
      {"anything", "*", true},        {"", "*.txt", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchesWildcard(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
}

TEST(FileFilterTest, DefaultExtensionIsThatOfAPlainFirstPattern) {
  EXPECT_EQ(DefaultExtension({"T", {"*.txt", "*.text"}}), "txt");
  EXPECT_EQ(DefaultExtension({"A", {"*.*"}}), std::nullopt);
  EXPECT_EQ(DefaultExtension({"J", {"*.jp*"}}), std::nullopt);
  EXPECT_EQ(DefaultExtension({"N", {"Makefile"}}), std::nullopt);
}

TEST(FileFilterTest, ParentFolderStopsAtTheDriveRoot) {
  EXPECT_EQ(ParentFolder("D:\\Show\\Sub"), "D:\\Show");
  EXPECT_EQ(ParentFolder("D:\\Show\\"), "D:\\");
  EXPECT_EQ(ParentFolder("D:\\"), "");
  EXPECT_EQ(ParentFolder("D:"), "");
}

// Drive D: holds the presentation's folder Show with a sub-folder, texts, a picture and a
// hidden file.
class FilePickerModelTest : public DriveFixture {
 protected:
  FilePickerModelTest() {
    Put("Show/b.TXT", "b");
    Put("Show/a.txt", "a");
    Put("Show/pic.bmp", "BM");
    Put("Show/.hidden.txt", "h");
    Put("Show/Sub/c.txt", "c");
    Put("Other/d.txt", "d");
  }

  FilePickerModel Picker(FileDialogMode mode, const std::string& filter = kFilter,
                         const std::string& initial = "") {
    return FilePickerModel(files, mode, filter, initial, "D:\\Show", {"D:\\"});
  }

  static std::vector<std::string> Names(const FilePickerModel& model) {
    std::vector<std::string> names;
    for (const FolderEntry& row : model.Rows())
      names.push_back(row.name + (row.kind == FileKind::kFolder ? "\\" : ""));
    return names;
  }

  static constexpr char kFilter[] = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
};

TEST_F(FilePickerModelTest, ListsFoldersFirstThenTheFilesOfTheChosenFilter) {
  FilePickerModel model = Picker(FileDialogMode::kOpen);
  EXPECT_EQ(model.Folder(), "D:\\Show");
  EXPECT_EQ(Names(model), (std::vector<std::string>{"Sub\\", "a.txt", "b.TXT"}));
  model.SetFilter(1);
  EXPECT_EQ(Names(model), (std::vector<std::string>{"Sub\\", "a.txt", "b.TXT", "pic.bmp"}));

  // Into the sub-folder and up twice: the drive root, then the places.
  ASSERT_EQ(model.Rows()[0].kind, FileKind::kFolder);
  EXPECT_FALSE(model.Activate(0).path);
  EXPECT_EQ(model.Folder(), "D:\\Show\\Sub");
  EXPECT_EQ(Names(model), std::vector<std::string>{"c.txt"});
  EXPECT_TRUE(model.Up());
  EXPECT_TRUE(model.Up());
  EXPECT_EQ(model.Folder(), "D:\\");
  EXPECT_EQ(Names(model), (std::vector<std::string>{"Other\\", "Show\\"}));
  EXPECT_TRUE(model.Up());
  EXPECT_EQ(model.Folder(), "");
  EXPECT_EQ(Names(model), std::vector<std::string>{"D:\\\\"});
}

TEST_F(FilePickerModelTest, OpenAcceptsOnlyExistingFilesAndTypedWildcardsFilter) {
  FilePickerModel model = Picker(FileDialogMode::kOpen);
  model.Select(2);
  EXPECT_EQ(model.Name(), "b.TXT");
  EXPECT_EQ(model.Accept().path, "D:\\Show\\b.TXT");

  // A name written in another case comes back as the disk has it.
  model.SetName("A.TXT");
  EXPECT_EQ(model.Accept().path, "D:\\Show\\a.txt");
  model.SetName("..\\Other\\D.txt");
  EXPECT_EQ(model.Accept().path, "D:\\Other\\d.txt");

  model.SetName("missing.txt");
  const FilePickerModel::Outcome missing = model.Accept();
  EXPECT_FALSE(missing.path);
  EXPECT_NE(missing.message.find("File not found"), std::string::npos);

  // A typed wildcard becomes the filter; a typed folder is opened.
  model.SetName("*.bmp");
  EXPECT_FALSE(model.Accept().path);
  EXPECT_EQ(Names(model), (std::vector<std::string>{"Sub\\", "pic.bmp"}));
  model.SetName("*.txt;*.bmp");
  model.Accept();
  EXPECT_EQ(model.Filters().size(), 3u);  // the typed filter replaced the one typed before
  EXPECT_EQ(Names(model).size(), 4u);
  model.SetName("sub");
  EXPECT_FALSE(model.Accept().path);
  EXPECT_EQ(model.Folder(), "D:\\Show\\Sub");
  EXPECT_EQ(model.Name(), "");
}

TEST_F(FilePickerModelTest, SaveAddsTheFilterExtensionAndNeedsAnExistingFolder) {
  struct Case {
    size_t filter;
    const char* name;
    std::optional<std::string> path;
  };
  const Case cases[] = {
      {0, "notes", "D:\\Show\\notes.txt"}, {0, "notes.md", "D:\\Show\\notes.md"},
      {0, "a", "D:\\Show\\a.txt"},  // an existing file may be replaced
      {1, "notes", "D:\\Show\\notes"},     {0, "Nowhere\\notes", std::nullopt},
  };
  for (const Case& c : cases) {
    FilePickerModel model = Picker(FileDialogMode::kSave);
    model.SetFilter(c.filter);
    model.SetName(c.name);
    const FilePickerModel::Outcome outcome = model.Accept();
    EXPECT_EQ(outcome.path, c.path) << c.name;
    EXPECT_EQ(outcome.message.empty(), c.path.has_value()) << c.name;
  }
}

TEST_F(FilePickerModelTest, InitialNameMayNameAFolderOrAPattern) {
  FilePickerModel inSub = Picker(FileDialogMode::kSave, kFilter, "D:\\Show\\Sub\\out.txt");
  EXPECT_EQ(inSub.Folder(), "D:\\Show\\Sub");
  EXPECT_EQ(inSub.Name(), "out.txt");

  FilePickerModel pattern = Picker(FileDialogMode::kOpen, kFilter, "*.bmp");
  EXPECT_EQ(pattern.Name(), "");
  EXPECT_EQ(pattern.Filters().front().label, "*.bmp");
  EXPECT_EQ(Names(pattern), (std::vector<std::string>{"Sub\\", "pic.bmp"}));

  // A start folder that does not exist falls back to the given one.
  FilePickerModel gone = Picker(FileDialogMode::kOpen, kFilter, "D:\\Gone\\x.txt");
  EXPECT_EQ(gone.Folder(), "D:\\Show");
}

TEST_F(FilePickerModelTest, FolderModeListsFoldersAndChoosesTheShownOne) {
  FilePickerModel model = Picker(FileDialogMode::kFolder, "Pick a folder", "D:\\Show");
  EXPECT_EQ(Names(model), std::vector<std::string>{"Sub\\"});
  EXPECT_EQ(model.Accept().path, "D:\\Show");
  model.Activate(0);
  EXPECT_EQ(model.Accept().path, "D:\\Show\\Sub");
  model.SetName("..\\..\\other");
  EXPECT_EQ(model.Accept().path, "D:\\Other");
  model.SetName("missing");
  EXPECT_FALSE(model.Accept().path);
}

// A presentation's picker lists only what the presentation may list: the folder outside its
// reach shows nothing and cannot be entered, so the user cannot pick a file there.
TEST_F(FilePickerModelTest, PickerOfAPresentationStaysWithinItsReach) {
  TrustPolicy policy;
  const fs::path show = fs::canonical(drive / "Show");
  policy.SetPresentationFolder(drive / "Show", show);
  std::vector<std::string> blocked;
  files.SetTrustPolicy(
      &policy, [&blocked](std::string_view, const std::string& path) { blocked.push_back(path); });
  FilePickerModel model = Picker(FileDialogMode::kOpen);
  EXPECT_EQ(Names(model), (std::vector<std::string>{"Sub\\", "a.txt", "b.TXT"}));
  // Above the presentation's folder the drive root cannot be listed: the places remain, and
  // the one place (the drive root) is not among them either.
  EXPECT_TRUE(model.Up());
  EXPECT_EQ(model.Folder(), "");
  EXPECT_TRUE(model.Rows().empty());
  EXPECT_FALSE(model.Enter("D:\\Other"));
  model.SetName("D:\\Other\\d.txt");
  EXPECT_FALSE(model.Accept().path);
  EXPECT_FALSE(blocked.empty());
}

}  // namespace
}  // namespace qlm::test
