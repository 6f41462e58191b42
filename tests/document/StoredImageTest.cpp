#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "DocumentFixtures.h"
#include "document/ArchiveError.h"
#include "document/ArchiveReader.h"
#include "document/ArchiveWriter.h"
#include "document/Inflate.h"
#include "document/LoadContext.h"
#include "document/ObjectRecord.h"
#include "document/PictureStore.h"
#include "document/StoredImage.h"
#include "graphics/ImageCodec.h"
#include "support/RecordingDialogs.h"

namespace qlm {
namespace {

using Texts = std::vector<std::string>;
constexpr uint32_t kSentinel =
    0xCAFEBABE;  // written after each image: proves the stream is in step

const std::vector<uint8_t> kSixPixels = {1, 2, 3, 4, 5, 6};

struct ImageCase {
  const char* what;
  std::function<void(ArchiveWriter&)> write;
  Texts messages;
  Image24 expected;
};

using ReadImage = std::function<StoredImage(ArchiveReader&, LoadContext&)>;
using WriteImage = std::function<void(ArchiveWriter&, const StoredImage&)>;

// Reads each case decoded at once, then kept packed as the player reads it: both give the same
// pixels and the same messages, the packed one decoding nothing before its pixels are asked for
// and reporting damage once. A packed image without damage writes back byte for byte.
void CheckEveryCase(const std::vector<ImageCase>& cases, const ReadImage& read,
                    const WriteImage& write, bool compareSize) {
  for (const ImageCase& c : cases) {
    for (const bool packed : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (packed ? ", packed" : ", decoded"));
      ArchiveWriter w;
      c.write(w);
      w.WriteU32(kSentinel);
      const SharedBytes stored = SharedBytes::CopyOf(w.Bytes());
      test::RecordingDialogs dialogs;
      LoadContext ctx(dialogs);
      if (packed) {
        ctx.pictures = std::make_shared<PictureStore>();
        ctx.pictures->SetDialogs(&dialogs);
      }
      ArchiveReader reader(stored);
      const StoredImage image = read(reader, ctx);
      EXPECT_EQ(reader.ReadU32(), kSentinel);
      if (packed) {
        EXPECT_EQ(ctx.pictures->HeldBytes(), 0u);
        for (const std::string& text : dialogs.Texts()) {
          EXPECT_NE(text, "Uncompress failed");
        }
      }
      if (compareSize) {
        EXPECT_EQ(image.Pixels(), c.expected);
      }
      EXPECT_EQ(image.Pixels().pixels, c.expected.pixels);
      EXPECT_EQ(dialogs.Texts(), c.messages);
      if (packed && c.messages.empty()) {
        ArchiveWriter back;
        write(back, image);
        back.WriteU32(kSentinel);
        EXPECT_EQ(back.Bytes(), w.Bytes());
      }
    }
  }
}

TEST(PageImage, EveryFormAndItsFailures) {
  // Level 1: a writer packing afresh would not give these bytes back.
  const std::vector<uint8_t> packed = DeflateZlib(kSixPixels, 1);
  const Image24 twoByOne{2, 1, kSixPixels};
  const Image24 png = test::Gradient(3, 2);
  const std::vector<ImageCase> cases = {
      {"raw",
       [](ArchiveWriter& w) {
         w.WriteU32(2);
         w.WriteU32(1);
         w.WriteBytes(kSixPixels);
       },
       {},
       twoByOne},
      {"packed, length 0",
       [](ArchiveWriter& w) {
         for (uint32_t x : {600000u, 2u, 1u, 0u})
           w.WriteU32(x);
         w.WriteBytes(kSixPixels);
       },
       {},
       twoByOne},
      {"zlib",
       [&](ArchiveWriter& w) {
         for (uint32_t x : {600000u, 2u, 1u, 4000000000u, uint32_t(packed.size())})
           w.WriteU32(x);
         w.WriteBytes(packed);
       },
       {},
       twoByOne},
      {"zlib stream of the wrong size",
       [&](ArchiveWriter& w) {
         for (uint32_t x : {600000u, 3u, 1u, 4000000000u, uint32_t(packed.size())})
           w.WriteU32(x);
         w.WriteBytes(packed);
       },
       {"Uncompress failed"},
       {}},
      {"zlib size above the limit",
       [&](ArchiveWriter& w) {
         for (uint32_t x : {600000u, 5000u, 5001u, 4000000000u, uint32_t(packed.size())}) {
           w.WriteU32(x);
         }
         w.WriteBytes(packed);
       },
       {"This file is corrupted"},
       {}},
      {"encoded PNG",
       [&](ArchiveWriter& w) {
         const auto file = EncodePng(png);
         for (uint32_t x : {600000u, 0u, 0u, uint32_t(file.size())})
           w.WriteU32(x);
         w.WriteBytes(file);
       },
       {},
       png},
      {"encoded garbage",
       [](ArchiveWriter& w) {
         for (uint32_t x : {600000u, 2u, 1u, 4u})
           w.WriteU32(x);
         w.WriteU32(0x12345678);
       },
       {},
       {}},
  };
  CheckEveryCase(cases, ReadPageImage, WritePageImage, true);
}

TEST(PageImage, OversizedRawImageAbandonsTheLoad) {
  ArchiveWriter w;
  w.WriteU32(5000);
  w.WriteU32(5001);  // 75,015,000 bytes
  test::RecordingDialogs dialogs;
  LoadContext ctx(dialogs);
  ArchiveReader reader(w.Bytes());
  try {
    ReadPageImage(reader, ctx);
    FAIL() << "no exception";
  } catch (const LoadAbandoned& e) {
    EXPECT_STREQ(e.what(), "ERROR 0: This file cannot be loaded!");
  }
  // W x H x 3 must not wrap around in 32 bits: 0x55555556 x 1 x 3 wraps to 2.
  ArchiveWriter wrap;
  wrap.WriteU32(0x55555556);
  wrap.WriteU32(1);
  ArchiveReader wrapReader(wrap.Bytes());
  EXPECT_THROW(ReadPageImage(wrapReader, ctx), LoadAbandoned);
}

TEST(PageImage, OversizedPackedLengthIsSteppedOver) {
  // The limit is on the stored length: 75,000,001 bytes are refused but stepped over.
  ArchiveWriter w;
  for (uint32_t x : {600000u, 2u, 1u, 75000001u})
    w.WriteU32(x);
  std::vector<uint8_t> bytes = w.Take();
  bytes.resize(bytes.size() + 75000001u, 0);
  bytes.insert(bytes.end(), {0xBE, 0xBA, 0xFE, 0xCA});
  test::RecordingDialogs dialogs;
  LoadContext ctx(dialogs);
  ArchiveReader reader(bytes);
  EXPECT_TRUE(ReadPageImage(reader, ctx).image.Empty());
  EXPECT_EQ(dialogs.Texts(), Texts{"This file is corrupted"});
  EXPECT_EQ(reader.ReadU32(), kSentinel);
}

TEST(ObjectImage, EveryMethodAndItsFailures) {
  const std::vector<uint8_t> packed = DeflateZlib(kSixPixels, 1);
  const Image24 twoByOne{2, 1, kSixPixels};
  const Image24 jpegSource = test::Gradient(8, 8);
  const std::vector<ImageCase> cases = {
      {"method 0 stored",
       [](ArchiveWriter& w) {
         for (uint32_t x : {0u, 6u, 0u})
           w.WriteU32(x);
         w.WriteBytes(kSixPixels);
       },
       {},
       twoByOne},
      {"method 0 zlib",
       [&](ArchiveWriter& w) {
         for (uint32_t x : {0u, 6u, uint32_t(packed.size())})
           w.WriteU32(x);
         w.WriteBytes(packed);
       },
       {},
       twoByOne},
      {"method 0 zlib short: keeps what was produced",
       [&](ArchiveWriter& w) {
         for (uint32_t x : {0u, 9u, uint32_t(packed.size())})
           w.WriteU32(x);
         w.WriteBytes(packed);
       },
       {"Uncompress failed"},
       twoByOne},
      {"method 0 above the limit: refused and stepped over",
       [&](ArchiveWriter& w) {
         for (uint32_t x : {0u, 75000001u, uint32_t(packed.size())})
           w.WriteU32(x);
         w.WriteBytes(packed);
       },
       {"This file is corrupted"},
       {}},
      {"method 1 raw",
       [](ArchiveWriter& w) {
         w.WriteU32(1);
         w.WriteU32(0);
         w.WriteBytes(kSixPixels);
       },
       {},
       twoByOne},
      {"method 2 raw",
       [](ArchiveWriter& w) {
         w.WriteU32(2);
         w.WriteBytes(kSixPixels);
       },
       {},
       twoByOne},
  };
  // The method travels with the data; these cases know it from their first word.
  uint32_t method = 0;
  CheckEveryCase(
      cases,
      [&method](ArchiveReader& reader, LoadContext& ctx) {
        ObjectImageData image = ReadObjectImageData(reader, ctx, 2, 1);
        method = image.method;
        return image.data;
      },
      [&method](ArchiveWriter& writer, const StoredImage& data) {
        WriteObjectImageData(writer, {method, data});
      },
      false);

  // Method 1 with a JPEG: the size comes from the file.
  ArchiveWriter w;
  const auto jpeg = EncodeJpeg(jpegSource);
  w.WriteU32(1);
  w.WriteU32(static_cast<uint32_t>(jpeg.size()));
  w.WriteBytes(jpeg);
  test::RecordingDialogs dialogs;
  LoadContext ctx(dialogs);
  ArchiveReader reader(w.Bytes());
  const ObjectImageData image = ReadObjectImageData(reader, ctx, 1, 1);
  EXPECT_EQ(image.data.image.width, 8u);
  EXPECT_EQ(image.data.image.height, 8u);
  EXPECT_EQ(image.data.encoded, jpeg);
}

TEST(ObjectImage, UnknownMethodAndOversizedStateImageAbandonTheLoad) {
  test::RecordingDialogs dialogs;
  LoadContext ctx(dialogs);
  ArchiveWriter unknown;
  unknown.WriteU32(3);
  ArchiveReader reader(unknown.Bytes());
  try {
    ReadObjectImageData(reader, ctx, 1, 1);
    FAIL() << "no exception";
  } catch (const LoadAbandoned& e) {
    EXPECT_STREQ(e.what(), "Error 1001: Corrupted file");
  }

  // An object record whose first state image is raw 5000 x 5001.
  ArchiveWriter w;
  for (int i = 0; i < 5; ++i)
    w.WriteString("");
  w.WriteU32(0);
  w.WriteU32(kObjImage);
  for (int i = 0; i < 4; ++i)
    w.WriteU32(0);
  w.WriteString("Big");
  for (int i = 0; i < 5; ++i)
    w.WriteU32(0);
  w.WriteString("");
  w.WriteString("");
  w.WriteU32(0);
  w.WriteU32(0);
  w.WriteString("");
  w.WriteU32(0);
  w.WriteU32(0);  // value 9
  w.WriteU32(0);  // no images: 0, the image block follows
  for (int i = 0; i < 6; ++i)
    w.WriteU32(0);
  for (uint32_t x : {1u, 5000u, 5001u})
    w.WriteU32(x);
  ArchiveReader record(w.Bytes());
  try {
    ReadObjectRecord(record, ctx);
    FAIL() << "no exception";
  } catch (const LoadAbandoned& e) {
    EXPECT_STREQ(e.what(), "ERROR 0: This file cannot be loaded!");
  }
}

}  // namespace
}  // namespace qlm
