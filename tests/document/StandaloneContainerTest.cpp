#include "document/StandaloneContainer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/host/HostFiles.h"

namespace qlm {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes U32(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

// The reader over a file on disk, as the player opens it.
StandaloneReadResult ReadStandaloneContainer(const std::filesystem::path& path) {
  std::string error;
  const std::unique_ptr<ReadableFile> file = OpenReadableFile(path, error);
  return qlm::ReadStandaloneContainer(file.get(), path.string(), error);
}

bool IsStandaloneFile(const std::filesystem::path& path) {
  std::string error;
  const std::unique_ptr<ReadableFile> file = OpenReadableFile(path, error);
  return file && qlm::IsStandaloneFile(*file);
}

constexpr std::string_view kId = "{0123ABCD-4567-89EF-0123-456789ABCDEF}";

// A document: the magic string, then 60 bytes of body (more than the 49 bytes a one-instance
// marker would occupy, so the last 38 are a plausible "identifier" of project bytes).
Bytes Document() {
  Bytes doc = Cat({{0x0B}, B("Quillmark29")});
  for (int i = 0; i < 60; ++i)
    doc.push_back(static_cast<uint8_t>('a' + i % 26));
  return doc;
}

const Bytes kPlayer =
    B("\x7F"
      "ELF player program bytes");

class StandaloneContainerTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(testing::TempDir()) /
           ("qlm_standalone_" + std::to_string(::getpid()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path Write(const std::string& name, const Bytes& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  std::filesystem::path dir_;
};

TEST_F(StandaloneContainerTest, OneInstanceLayoutByteForByte) {
  const Bytes doc = Document();  // 72 bytes
  const Bytes expected =
      Cat({kPlayer, doc, B("ONEINSTANCE"), B(kId), B("STANDALONE"), {72 + 49, 0, 0, 0}});
  const Bytes built = BuildStandalone(kPlayer, doc, true, kId);
  ASSERT_EQ(built, expected);

  const size_t end = built.size();
  const size_t length = 72 + 49;
  EXPECT_EQ(built[end - 14 - length], 0x0B);
  EXPECT_EQ(Bytes(built.end() - 63, built.end() - 52), B("ONEINSTANCE"));

  const auto result = ReadStandaloneContainer(Write("show.exe", built));
  ASSERT_EQ(result.status, StandaloneStatus::kOk) << result.message;
  ASSERT_TRUE(result.container);
  EXPECT_TRUE(result.container->oneInstance);
  EXPECT_EQ(result.container->identifier, kId);
  EXPECT_EQ(Bytes(result.container->block.begin(), result.container->block.end()), Cat({doc, B("ONEINSTANCE"), B(kId)}));
  EXPECT_EQ(Bytes(result.container->Project().begin(), result.container->Project().end()), doc);
}

TEST_F(StandaloneContainerTest, WithoutMarkerTheIdentifierIsProjectBytes) {
  const Bytes doc = Document();
  const Bytes built = BuildStandalone(kPlayer, doc, false, "");
  ASSERT_EQ(built, Cat({kPlayer, doc, B("STANDALONE"), U32(72)}));

  const auto result = ReadStandaloneContainer(Write("show.exe", built));
  ASSERT_EQ(result.status, StandaloneStatus::kOk) << result.message;
  EXPECT_FALSE(result.container->oneInstance);
  EXPECT_EQ(result.container->identifier, std::string(doc.end() - 38, doc.end()));
  EXPECT_EQ(Bytes(result.container->block.begin(), result.container->block.end()), doc);
  EXPECT_EQ(result.container->Project().size(), doc.size());

  // A damaged marker is simply no marker: the block still loads, no instance limit.
  Bytes damaged = BuildStandalone(kPlayer, doc, true, kId);
  damaged[damaged.size() - 63 + 10] = 'x';
  const auto relaxed = ReadStandaloneContainer(Write("damaged.exe", damaged));
  ASSERT_EQ(relaxed.status, StandaloneStatus::kOk);
  EXPECT_FALSE(relaxed.container->oneInstance);
  EXPECT_EQ(relaxed.container->block.size(), doc.size() + 49);
}

TEST_F(StandaloneContainerTest, IdentifierStopsAtZeroAndSmallFilesSkipMarker) {
  // A document that ends in zero bytes: the identifier is the text before the first zero.
  Bytes doc = Document();
  doc[doc.size() - 30] = 0;
  auto result = ReadStandaloneContainer(Write("zero.exe", BuildStandalone({}, doc, false, "")));
  ASSERT_EQ(result.status, StandaloneStatus::kOk);
  EXPECT_EQ(result.container->identifier, std::string(doc.end() - 38, doc.end() - 30));

  // A file too small to hold marker and identifier positions still reads.
  const Bytes tiny = Cat({{0x0B}, B("Quillmark29"), B("STANDALONE"), U32(12)});
  result = ReadStandaloneContainer(Write("tiny.exe", tiny));
  ASSERT_EQ(result.status, StandaloneStatus::kOk) << result.message;
  EXPECT_FALSE(result.container->oneInstance);
  EXPECT_EQ(result.container->identifier, "");
  EXPECT_EQ(result.container->block.size(), 12u);
}

TEST_F(StandaloneContainerTest, DamagedFilesEndWithTheirMessage) {
  const Bytes doc = Document();
  const Bytes good = BuildStandalone(kPlayer, doc, false, "");
  auto withLength = [&](uint32_t length) {
    Bytes bytes = good;
    std::copy_n(U32(length).begin(), 4, bytes.end() - 4);
    return bytes;
  };
  Bytes lowercase = good;
  lowercase[lowercase.size() - 14] = 's';

  struct Case {
    const char* name;
    Bytes bytes;
    StandaloneStatus status;
    std::string message;  // "%s" stands for the path
  } cases[] = {
      {"empty",
       {},
       StandaloneStatus::kTooShort,
       "The file %s is too short to be a stand-alone file."},
      {"shorter than trailer", B("STANDALONE\1\0\0"), StandaloneStatus::kTooShort,
       "The file %s is too short to be a stand-alone file."},
      {"bare player", kPlayer, StandaloneStatus::kNoTrailer, "Corrupted stand-alone file (1)"},
      {"trailer word case", lowercase, StandaloneStatus::kNoTrailer,
       "Corrupted stand-alone file (1)"},
      {"length one short", withLength(71), StandaloneStatus::kNoMagicWord,
       "Corrupted stand-alone file (2)"},
      {"length one long", withLength(73), StandaloneStatus::kNoMagicWord,
       "Corrupted stand-alone file (2)"},
      {"length zero", withLength(0), StandaloneStatus::kNoMagicWord,
       "Corrupted stand-alone file (2)"},
      {"length to file start", withLength(static_cast<uint32_t>(good.size() - 14)),
       StandaloneStatus::kNoMagicWord, "Corrupted stand-alone file (2)"},
      {"length past file start", withLength(static_cast<uint32_t>(good.size() - 13)),
       StandaloneStatus::kLengthTooLarge,
       "The file %s is damaged: its stand-alone block is longer than the file."},
      {"length 4 GB", withLength(0xFFFFFFFF), StandaloneStatus::kLengthTooLarge,
       "The file %s is damaged: its stand-alone block is longer than the file."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto path = Write("case.exe", c.bytes);
    const auto result = ReadStandaloneContainer(path);
    EXPECT_EQ(result.status, c.status);
    std::string message = c.message;
    if (auto at = message.find("%s"); at != std::string::npos) {
      message.replace(at, 2, path.string());
    }
    EXPECT_EQ(result.message, message);
    EXPECT_FALSE(result.container);
    EXPECT_FALSE(IsStandaloneFile(path));
  }
}

TEST(StandaloneContainer, FileThatCannotBeOpenedSaysWhy) {
  EXPECT_EQ(qlm::ReadStandaloneContainer(nullptr, "D:\\show.exe", "Permission denied").message,
            "Cannot Open D:\\show.exe\nPermission denied");
  const StandaloneReadResult result = qlm::ReadStandaloneContainer(nullptr, "show.exe");
  EXPECT_EQ(result.status, StandaloneStatus::kCannotOpen);
  EXPECT_EQ(result.message, "Cannot Open show.exe\nthe file cannot be opened");
  EXPECT_FALSE(result.container);
}

TEST(StandaloneAppendix, RefusesWhatNoReaderWouldFind) {
  // The reader needs the magic word at the block start, and one-instance needs a full GUID.
  EXPECT_THROW(StandaloneAppendix(B("\x0CXQuillmark29"), false, ""), std::invalid_argument);
  EXPECT_THROW(StandaloneAppendix({}, false, ""), std::invalid_argument);
  EXPECT_THROW(StandaloneAppendix(Document(), true, "{short}"), std::invalid_argument);
}

}  // namespace
}  // namespace qlm
