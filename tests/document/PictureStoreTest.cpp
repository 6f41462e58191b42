#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/Inflate.h"
#include "document/PackedPicture.h"
#include "document/PictureStore.h"
#include "support/RecordingDialogs.h"

namespace qlm {
namespace {

constexpr uint32_t kSide = 16;
constexpr uint64_t kPictureBytes = kSide * kSide * 3;

// A zlib-packed square of one grey level.
std::shared_ptr<const PackedPicture> Grey(const std::shared_ptr<PictureStore>& store,
                                          uint8_t level) {
  const std::vector<uint8_t> pixels(kPictureBytes, level);
  return std::make_shared<const PackedPicture>(
      store, PictureLayout{PictureCoding::Zlib, kSide, kSide, kPictureBytes, false},
      SharedBytes::Adopt(DeflateZlib(pixels)));
}

TEST(PictureStore, KeepsTheMostRecentlyDrawnWithinTheBudget) {
  auto store = std::make_shared<PictureStore>(2 * kPictureBytes);
  const auto a = Grey(store, 10), b = Grey(store, 20), c = Grey(store, 30);
  EXPECT_EQ(a->Pixels().pixels[0], 10);
  EXPECT_EQ(b->Pixels().pixels[0], 20);
  a->Pixels();  // a is drawn again: b is now the least recent
  EXPECT_EQ(c->Pixels().pixels[0], 30);
  // Until the frame is over, everything asked for stays.
  EXPECT_TRUE(store->Holds(*a) && store->Holds(*b) && store->Holds(*c));
  store->Trim();
  EXPECT_TRUE(store->Holds(*a));
  EXPECT_FALSE(store->Holds(*b));
  EXPECT_TRUE(store->Holds(*c));
  EXPECT_LE(store->HeldBytes(), store->Budget());
  // A picture let go is decoded again, the same.
  EXPECT_EQ(b->Pixels(), (Image24{kSide, kSide, std::vector<uint8_t>(kPictureBytes, 20)}));
}

TEST(PictureStore, DecodesAheadOnlyIntoFreeRoomAndForgetsPicturesThatGo) {
  auto store = std::make_shared<PictureStore>(2 * kPictureBytes);
  const auto shown = Grey(store, 1);
  shown->Pixels();
  auto next = Grey(store, 2);
  EXPECT_TRUE(store->DecodeAhead(*next));
  const auto more = Grey(store, 3);
  EXPECT_FALSE(store->DecodeAhead(*more));  // it would push the shown picture out
  EXPECT_TRUE(store->Holds(*shown) && store->Holds(*next));
  EXPECT_FALSE(store->Holds(*more));
  next.reset();  // its record went: so do its pixels
  EXPECT_EQ(store->HeldBytes(), shown->Pixels().pixels.capacity());
  EXPECT_TRUE(store->DecodeAhead(*more));
}

TEST(PictureStore, DamageIsReportedWhenFirstDrawnAndOnlyOnce) {
  test::RecordingDialogs dialogs;
  auto store = std::make_shared<PictureStore>(0);  // nothing is kept past a frame
  store->SetDialogs(&dialogs);
  const std::vector<uint8_t> pixels(kPictureBytes, 7);
  // A stream short of its size keeps what it produced.
  const PackedPicture broken(store, {PictureCoding::Zlib, kSide, kSide, kPictureBytes + 3, true},
                             SharedBytes::Adopt(DeflateZlib(pixels)));
  EXPECT_TRUE(dialogs.Texts().empty());
  EXPECT_EQ(broken.Pixels().pixels, pixels);
  store->Trim();
  EXPECT_FALSE(store->Holds(broken));
  EXPECT_EQ(broken.Pixels().pixels, pixels);  // decoded again, reported no more
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Uncompress failed"});
}

}  // namespace
}  // namespace qlm
