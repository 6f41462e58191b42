#include "media/PlayListFile.h"

#include <gtest/gtest.h>

namespace qlm {
namespace {

using Type = PlayListFile::Type;

TEST(PlayListFile, ReadsEachFormatAgainstTheListFolder) {
  const std::string folder = "C:\\lists\\";
  const struct {
    const char* name;
    Type type;
    std::string bytes;
    std::vector<std::string> entries;
  } cases[] = {
      {"pls relative",
       Type::kPls,
       "[playlist]\r\nFile2=song.mp3\r\nTitle2=x\r\n",
       {"C:\\lists\\song.mp3"}},
      {"pls absolute", Type::kPls, "File2=D:\\song.mp3\r\n", {"D:\\song.mp3"}},
      {"pls keeps text after the first =",
       Type::kPls,
       "File1=a=b.mp3\r\nNumberOfEntries=1\r\n",
       {"C:\\lists\\a=b.mp3"}},
      {"m3u after EXTINF",
       Type::kM3u,
       "#EXTM3U\r\n#EXTINF:12,One\r\none.mp3\r\nstray.mp3\r\n#EXTINF:5,Two\r\nhttp://h/two\r\n",
       {"C:\\lists\\one.mp3", "http://h/two"}},
      {"m3u without EXTINF reads as m3l",
       Type::kM3u,
       "a.mp3\r\n\r\nb.mp3",
       {"C:\\lists\\a.mp3", "C:\\lists\\b.mp3"}},
      {"m3l skips empty lines, takes LF ends",
       Type::kM3l,
       "\r\na.mp3\n\nsub\\b.mp3\r\n",
       {"C:\\lists\\a.mp3", "C:\\lists\\sub\\b.mp3"}},
      {"text keeps every line as it is",
       Type::kText,
       "a.mp3\r\n\r\n..\\b.mp3\r\n",
       {"a.mp3", "", "..\\b.mp3"}},
      {"steps inside the folder fold",
       Type::kM3l,
       "sub\\..\\a.mp3\r\n.\\b.mp3\r\n",
       {"C:\\lists\\a.mp3", "C:\\lists\\b.mp3"}},
      {"steps out of the folder are dropped",
       Type::kM3l,
       "..\\..\\Windows\\win.ini\r\nsub\\..\\..\\x.mp3\r\nok.mp3\r\n",
       {"C:\\lists\\ok.mp3"}},
      {"NUL bytes drop the entry",
       Type::kM3l,
       std::string("a\0b.mp3\r\nc.mp3", 14),
       {"C:\\lists\\c.mp3"}},
      {"empty file", Type::kPls, "", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PlayListFile::Parse(c.bytes, c.type, folder), c.entries) << c.name;
}

TEST(PlayListFile, TypeComesFromTheArgumentThenTheExtension) {
  const struct {
    const char* path;
    const char* requested;
    Type type;
  } cases[] = {
      {"C:\\a.pls", "", Type::kPls},     {"C:\\a.PLS", "", Type::kPls},
      {"C:\\a.m3u", "m3l", Type::kM3l},  {"C:\\a.txt", "PLS", Type::kPls},
      {"C:\\a.m3ux", "", Type::kM3u},    {"C:\\a.lst", "", Type::kText},
      {"C:\\noext", "wav", Type::kText}, {"C:\\a.m3u", "txt", Type::kText},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PlayListFile::TypeFor(c.path, c.requested), c.type) << c.path << " " << c.requested;
}

TEST(PlayListFile, FolderAndJoin) {
  EXPECT_EQ(PlayListFile::FolderOf("C:\\lists\\a.pls"), "C:\\lists\\");
  EXPECT_EQ(PlayListFile::FolderOf("a.pls"), "");
  EXPECT_EQ(PlayListFile::Join({"a", "b", "c"}), "a\r\nb\r\nc");
  EXPECT_EQ(PlayListFile::Join({}), "");
}

}  // namespace
}  // namespace qlm
