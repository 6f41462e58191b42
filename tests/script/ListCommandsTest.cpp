#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "TestScriptHost.h"
#include "expr/ClassicRandom.h"
#include "platform/host/DiskFileSystem.h"
#include "script/ListBoxControl.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;
using test::MakeObject;
using test::MakePage;
using test::TestScriptHost;

// "C:\" of the scripts is a fresh temporary folder.
class TempDrive : public DiskFileSystem {
 public:
  TempDrive() {
    root_ = fs::temp_directory_path() /
            ("qlm-listcmd-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  ~TempDrive() override { fs::remove_all(root_); }

  fs::path ToHost(const std::string& windowsPath) const override {
    std::string rest = windowsPath.starts_with("C:\\") ? windowsPath.substr(3) : windowsPath;
    std::replace(rest.begin(), rest.end(), '\\', '/');
    return root_ / rest;
  }
  std::string ToWindows(const fs::path& hostPath) const override {
    std::string rest = fs::relative(hostPath, root_).string();
    std::replace(rest.begin(), rest.end(), '/', '\\');
    return "C:\\" + rest;
  }
  void Write(const std::string& windowsPath) const {
    const fs::path path = ToHost(windowsPath);
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
  }

 private:
  static inline int counter_ = 0;
  fs::path root_;
};

// The test host with list controls for its list objects and "<SrcDir>" as C:\show.
class ListHost : public TestScriptHost {
 public:
  explicit ListHost(Project project) : TestScriptHost(std::move(project)) {
    fileSystem = &drive;
    ShowPage();
  }

  ListBoxControl* ListBoxOf(ObjectRecord& object) override {
    if (object.typeCode != kObjListBox)
      return nullptr;
    auto it = lists.find(&object);
    if (it == lists.end())
      it = lists.emplace(&object, ListBoxControl::FromTexts(object.stringList)).first;
    return &it->second;
  }
  std::string ExpandPathMacros(const std::string& text) override {
    std::string out = text;
    for (size_t at; (at = out.find("<SrcDir>")) != std::string::npos;)
      out.replace(at, 8, "C:\\show");
    return out;
  }

  ListBoxControl& Songs() { return *ListBoxOf(pages.CurrentPage()->objects[0]); }
  std::string Text(const std::string& name) const {
    std::string text = "(unset)";
    evaluator.GetText(name, text);
    return text;
  }

  TempDrive drive;
  std::map<const ObjectRecord*, ListBoxControl> lists;
};

constexpr IntRect kListRect{100, 50, 200, 150};

// A page with the list "Songs" (stored rows as given) and an ordinary object "Label".
Project ListPage(std::vector<std::string> rows = {}) {
  Project project;
  project.pages.push_back(MakePage("A"));
  ObjectRecord list = MakeObject("Songs", kListRect);
  list.typeCode = kObjListBox;
  list.stringList = std::move(rows);
  project.pages[0].objects = {std::move(list), MakeObject("Label", {10, 10, 50, 30})};
  return project;
}

std::string Quoted(const std::string& command, const std::string& arg2,
                   const std::string& arg1 = "Songs") {
  return command + "(\"" + arg1 + "\",\"" + arg2 + "\")";
}

// Rows as "text" or "text|path|info" when the path differs from the text; selected rows get a
// leading "*".
std::vector<std::string> Rows(const ListBoxControl& list) {
  std::vector<std::string> rows;
  for (const ListBoxItem& item : list.Items()) {
    std::string row = (item.selected ? "*" : "") + item.text;
    if (item.path != item.text || !item.info.empty())
      row += "|" + item.path + "|" + item.info;
    rows.push_back(row);
  }
  return rows;
}

using Strings = std::vector<std::string>;

TEST(ListCommandsTest, AddItemSources) {
  struct Case {
    const char* items;
    Strings rows;  // after the stored row "old"
  } cases[] = {
      {"plain", {"old", "plain"}},
      {"a,b", {"old", "a,b"}},
      {"STRING:x,y", {"old", "x,y"}},
      {"Name$", {"old", "Ann"}},
      {"Names$,;", {"old", "x", "y", "z"}},
      {"Names$,", {"old", "Names$,"}},
      {"Name$[]", {"old", "p", "q"}},
      {"Name[]$", {"old", "p", "q"}},
      {"<List>0",
       {"old", "one|C:\\m\\one.mp3|unkn.", "two|C:\\m\\two.wav|unkn.", "three|three|unkn."}},
      {"<List>",
       {"old", "one|C:\\m\\one.mp3|unkn.", "two|C:\\m\\two.wav|unkn.", "three|three|unkn."}},
      {"<List>2", {"old", "two|C:\\m\\two.wav|unkn."}},
      {"<List>k", {"old", "three|three|unkn."}},
      {"<List>9", {"old"}},
      {"<SrcDir>\\x.mp3", {"old", "x|C:\\show\\x.mp3|unkn."}},
      {"File$", {"old", "x|C:\\show\\x.mp3|unkn."}},
      {"C:\\show\\missing.mp3", {"old", "C:\\show\\missing.mp3"}},
      {"RANDOMIZE", {"old"}},
      {"RESET", {}},
      {"reset", {"old", "reset"}},
  };
  for (const Case& c : cases) {
    ListHost host(ListPage({"old"}));
    host.drive.Write("C:\\show\\x.mp3");
    host.songs = {"C:\\m\\one.mp3", "C:\\m\\two.wav", "three"};
    host.evaluator.SetText("Name$", "Ann");
    host.evaluator.SetText("Names$", "x;y;z;");
    host.evaluator.SetText("Name$[1]", "p");
    host.evaluator.SetText("Name$[2]", "q");
    host.evaluator.SetText("File$", "<SrcDir>\\x.mp3");
    host.evaluator.SetNumber("k", 3);
    host.invalidated.clear();
    EXPECT_TRUE(host.Run(Quoted("ListBoxAddItem", c.items)));
    EXPECT_EQ(Rows(host.Songs()), c.rows) << c.items;
    EXPECT_EQ(host.invalidated, std::vector<IntRect>({{98, 48, 202, 152}})) << c.items;
  }
}

TEST(ListCommandsTest, CommandsNeedAListAndASecondArgument) {
  ListHost host(ListPage({"old"}));
  for (const char* command : {"ListBoxAddItem", "ListBoxDeleteItem", "ListBoxSortItems",
                              "ListBoxSelectItem", "ListBoxDeselectItem", "ListBoxMoveItem",
                              "ListBoxGetItems", "ListBoxGetSelectedItems", "ListBoxParam"}) {
    EXPECT_TRUE(host.Run(Quoted(command, "", "Songs"))) << command;
    EXPECT_TRUE(host.Run(Quoted(command, "1", "Label"))) << command;
    EXPECT_TRUE(host.Run(Quoted(command, "1", "Nowhere"))) << command;
  }
  EXPECT_EQ(Rows(host.Songs()), Strings{"old"});
  EXPECT_TRUE(host.invalidated.empty());
}

TEST(ListCommandsTest, NumberedItemCommands) {
  struct Case {
    const char* command;
    const char* number;
    Strings rows;
  } cases[] = {
      {"ListBoxDeleteItem", "2", {"a", "*c", "d"}},
      {"ListBoxDeleteItem", "-1", {}},
      {"ListBoxDeleteItem", "0", {"a", "b", "*c", "d"}},
      {"ListBoxDeleteItem", "5", {"a", "b", "*c", "d"}},
      {"ListBoxSelectItem", "n+1", {"a", "*b", "*c", "d"}},
      {"ListBoxSelectItem", "-1", {"*a", "*b", "*c", "*d"}},
      {"ListBoxSelectItem", "-2", {"a", "b", "*c", "d"}},
      {"ListBoxDeselectItem", "3", {"a", "b", "c", "d"}},
      {"ListBoxDeselectItem", "-1", {"a", "b", "c", "d"}},
      {"ListBoxMoveItem", "3", {"a", "*c", "b", "d"}},
      {"ListBoxMoveItem", "1", {"a", "b", "*c", "d"}},
      {"ListBoxMoveItem", "-1", {"a", "b", "*c", "d"}},
  };
  for (const Case& c : cases) {
    ListHost host(ListPage({"a", "b", "c", "d"}));
    host.evaluator.SetNumber("n", 1);
    host.Songs().Select(3);
    EXPECT_TRUE(host.Run(Quoted(c.command, c.number)));
    EXPECT_EQ(Rows(host.Songs()), c.rows) << c.command << " " << c.number;
  }
}

TEST(ListCommandsTest, SortModes) {
  struct Case {
    const char* mode;
    Strings texts;
  } cases[] = {
      {"NAME", {"apple", "Banana", "banana2", "cherry", "Zed"}},
      {"TIME", {"cherry", "apple", "Banana", "Zed", "banana2"}},
      {"VALUE", {"apple", "Zed", "Banana", "cherry", "banana2"}},
      {"REVERSE", {"cherry", "Zed", "banana2", "apple", "Banana"}},
      {"name", {"Banana", "apple", "banana2", "Zed", "cherry"}},
      {"SHUFFLE", {"Banana", "apple", "banana2", "Zed", "cherry"}},
  };
  for (const Case& c : cases) {
    ListHost host(ListPage());
    // Time column and value of each row; banana2 has neither, and its text is no number.
    ListBoxControl& list = host.Songs();
    const struct {
      const char* text;
      const char* info;
      const char* value;
    } rows[] = {{"Banana", "3:05", "20"},
                {"apple", "65", "7x"},
                {"banana2", "", ""},
                {"Zed", "4:00", "10"},
                {"cherry", "0:30", "30"}};
    for (const auto& r : rows) {
      list.AddText(r.text, r.value);
      const_cast<ListBoxItem&>(list.Items().back()).info = r.info;
    }
    EXPECT_TRUE(host.Run(Quoted("ListBoxSortItems", c.mode)));
    Strings texts;
    for (const ListBoxItem& item : host.Songs().Items())
      texts.push_back(item.text);
    EXPECT_EQ(texts, c.texts) << c.mode;
  }
}

TEST(ListCommandsTest, RandomizeShufflesWithTheSeededGenerator) {
  const Strings rows = {"1", "2", "3", "4", "5", "6", "7", "8"};
  auto shuffled = [&](uint32_t seed) {
    ListHost host(ListPage(rows));
    host.evaluator.SeedRandom(seed);
    host.Run(Quoted("ListBoxSortItems", "RANDOMIZE"));
    return Rows(host.Songs());
  };
  const Strings first = shuffled(7);
  EXPECT_EQ(shuffled(7), first);
  EXPECT_NE(first, rows);
  Strings sorted = first;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, rows);
}

TEST(ListCommandsTest, GetItemsIntoVariables) {
  struct Case {
    const char* command;
    const char* target;
    const char* texts;
    const char* paths;
    double count;
  } cases[] = {
      {"ListBoxGetItems", "T$,P$,;,N", "a;x;c", "a;C:\\m\\x.mp3;c", 3},
      {"ListBoxGetItems", "T$,P$,,N", "a,x,c", "a,C:\\m\\x.mp3,c", 3},
      {"ListBoxGetItems", " T$ ,,|", "a|x|c", "keep", -1},
      {"ListBoxGetItems", "T,P$,;,N", "keep", "a;C:\\m\\x.mp3;c", 3},
      {"ListBoxGetSelectedItems", "T$,P$,;,N", "x;c", "C:\\m\\x.mp3;c", 2},
      {"ListBoxGetSelectedItems", "Target$", "x,c", "keep", -1},
  };
  for (const Case& c : cases) {
    ListHost host(ListPage({"a"}));
    host.Songs().AddFile("C:\\m\\x.mp3");
    host.Songs().AddText("c");
    host.Songs().Select(2);
    host.Songs().Select(3);
    host.evaluator.SetNumber("N", -1);
    host.evaluator.SetText("T$", "keep");
    host.evaluator.SetText("P$", "keep");
    host.evaluator.SetText("Target$", "T$");
    EXPECT_TRUE(host.Run(Quoted(c.command, c.target)));
    EXPECT_EQ(host.Text("T$"), c.texts) << c.target;
    EXPECT_EQ(host.Text("P$"), c.paths) << c.target;
    EXPECT_EQ(host.Number("N"), c.count) << c.target;
  }
}

TEST(ListCommandsTest, GetItemsIntoTheSongList) {
  struct Case {
    const char* command;
    Strings songs;
  } cases[] = {
      {"ListBoxGetItems", {"first", "a#b", "C:\\show\\x.mp3", "c"}},
      {"ListBoxGetSelectedItems", {"first", "C:\\show\\x.mp3"}},
  };
  for (const Case& c : cases) {
    ListHost host(ListPage({"a#b"}));
    host.songs = {"first"};
    host.Songs().AddFile("<SrcDir>\\x.mp3");
    host.Songs().AddText("c");
    host.Songs().Select(2);
    EXPECT_TRUE(host.Run(Quoted(c.command, "<List>")));
    EXPECT_EQ(host.songs, c.songs) << c.command;
    // The list itself stays as it was.
    EXPECT_EQ(host.Songs().Size(), 3u);
  }
}

TEST(ListCommandsTest, ParamKeywords) {
  struct Case {
    const char* param;
    bool dragDrop, hideNumbers, hideTimes, readTags, preciseTiming;
    uint32_t background, text;
  } cases[] = {
      // Defaults: no drag and drop, numbers and times hidden, white on black text.
      {"drag&drop=on", true, true, true, false, false, 0xFFFFFF, 0},
      {"drag&drop=OFF", false, true, true, false, false, 0xFFFFFF, 0},
      {"Drag&Drop = yes", true, true, true, false, false, 0xFFFFFF, 0},
      {"numbers=on", false, false, true, false, false, 0xFFFFFF, 0},
      {" NUMBERS =ON ", false, false, true, false, false, 0xFFFFFF, 0},
      {"numbers=off", false, true, true, false, false, 0xFFFFFF, 0},
      {"times=On", false, true, false, false, false, 0xFFFFFF, 0},
      {"idtags=on", false, true, true, true, false, 0xFFFFFF, 0},
      {"idtags=1", false, true, true, false, false, 0xFFFFFF, 0},
      {"mpegaccurate=ON", false, true, true, false, true, 0xFFFFFF, 0},
      {"background=255,0,0", false, true, true, false, false, 0x0000FF, 0},
      {"text=0,0,2*100", false, true, true, false, false, 0xFFFFFF, 0xC80000},
      {"text=CBK_SelColor", false, true, true, false, false, 0xFFFFFF, 0x00FF00},
      {"colour=on", false, true, true, false, false, 0xFFFFFF, 0},
  };
  for (const Case& c : cases) {
    ListHost host(ListPage());
    host.evaluator.SetText("CBK_SelColor", "0,255,0");
    host.invalidated.clear();
    EXPECT_TRUE(host.Run(Quoted("ListBoxParam", c.param)));
    const ListBoxControl& list = host.Songs();
    EXPECT_EQ(list.dragDrop, c.dragDrop) << c.param;
    EXPECT_EQ(list.hideNumbers, c.hideNumbers) << c.param;
    EXPECT_EQ(list.hideTimes, c.hideTimes) << c.param;
    EXPECT_EQ(list.readTags, c.readTags) << c.param;
    EXPECT_EQ(list.preciseTiming, c.preciseTiming) << c.param;
    EXPECT_EQ(list.background, c.background) << c.param;
    EXPECT_EQ(list.textColour, c.text) << c.param;
    EXPECT_FALSE(host.invalidated.empty()) << c.param;
  }
}

TEST(ListBoxControlTest, DisplayNameOfFiles) {
  struct Case {
    const char* path;
    const char* name;
  } cases[] = {
      {"C:\\music\\song.mp3", "song"},
      {"C:\\music\\a.b.wav", "a.b"},
      {"song.mp3", "song.mp3"},
      {"C:\\music\\song", "C:\\music\\song"},
      {"C:\\my.dir\\song", "C:\\my.dir\\song"},
      {"C:\\m\\.mp3", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ListBoxControl::DisplayName(c.path), c.name) << c.path;
}

TEST(ListBoxControlTest, ClicksSelectAndTheTopRowStaysInside) {
  ListBoxControl list = ListBoxControl::FromTexts({"a", "b", "c", "d", "e"});
  list.Select(1);
  list.Select(2);
  EXPECT_TRUE(list.ClickItem(3, false));
  EXPECT_EQ(Rows(list), (Strings{"a", "b", "c", "*d", "e"}));
  EXPECT_FALSE(list.ClickItem(3, false));
  EXPECT_TRUE(list.ClickItem(0, true));
  EXPECT_TRUE(list.ClickItem(3, true));
  EXPECT_EQ(Rows(list), (Strings{"*a", "b", "c", "d", "e"}));
  EXPECT_FALSE(list.ClickItem(5, false));

  list.EnsureVisible(4, 2);
  EXPECT_EQ(list.TopIndex(), 3u);
  list.EnsureVisible(1, 2);
  EXPECT_EQ(list.TopIndex(), 1u);
  list.SetTopIndex(4);
  list.Delete(5);
  list.Delete(4);
  EXPECT_EQ(list.TopIndex(), 2u);
  list.Clear();
  EXPECT_EQ(list.TopIndex(), 0u);
}

}  // namespace
}  // namespace qlm
