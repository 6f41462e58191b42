#include <gtest/gtest.h>

#include <stdexcept>

#include "player/TransitionEffect.h"
#include "player/TransitionTiming.h"

namespace qlm::test {
namespace {

// ---- Step table ----

struct TimingCase {
  int type;
  int32_t duration;
  int steps;
  uint32_t interval;
  double increment;
};

TEST(TransitionTiming, StepTable) {
  const TimingCase cases[] = {
      {2, 1000, 20, 50, 0},        // 1000 is not below 1000
      {2, 999, 18, 55, 0},         //
      {2, 150, 4, 37, 0},          //
      {2, 0, 4, 1, 0},             // zero becomes 1 ms; the interval is at least 1
      {4, -10, 10, 1, 0},          // -n asks for n steps of 1 ms
      {13, 50, 4, 25, 0.1},        // progress effects run at least 100 ms
      {13, -10, 4, 25, 0.1},       // ... negative durations included
      {14, 1000, 20, 50, 0.01},    //
      {2, 199, 4, 49, 0},          // each bound of the table, just below and at it
      {2, 200, 8, 25, 0},          //
      {2, 299, 8, 37, 0},          //
      {2, 300, 12, 25, 0},         //
      {2, 500, 16, 31, 0},         //
      {2, 600, 18, 33, 0},         //
      {2, 1199, 20, 59, 0},        //
      {2, 1200, 26, 46, 0},        //
      {2, 1399, 26, 53, 0},        //
      {2, 1400, 30, 46, 0},        //
      {2, 5000, 30, 166, 0},       //
      {2, INT32_MAX, 30, 333, 0},  // a corrupt duration is cut to 10 s
      {2, INT32_MIN, 1000, 1, 0},  // and a corrupt step count to 1000
      {13, INT32_MAX, 30, 333, 0.001},
  };
  for (const TimingCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "T=" << c.type << " D=" << c.duration);
    const TransitionTiming t = ComputeTransitionTiming(c.type, c.duration);
    EXPECT_EQ(t.steps, c.steps);
    EXPECT_EQ(t.intervalMs, c.interval);
    EXPECT_DOUBLE_EQ(t.increment, c.increment);
  }
}

TEST(TransitionTiming, OnlyTheDrawnEffectsCount) {
  for (int type : {-5, 0, 18, 19, 1000})
    EXPECT_FALSE(HasBuiltInTransition(type)) << type;
  for (int type = 1; type <= 17; ++type)
    EXPECT_TRUE(HasBuiltInTransition(type)) << type;
  EXPECT_TRUE(IsStepTransition(12));
  EXPECT_FALSE(IsStepTransition(13));
}

// ---- Effects ----

constexpr int kW = 100, kH = 60;
constexpr uint32_t kOld = 0xC02020, kNew = 0x2040E0;

class TransitionEffectTest : public ::testing::Test {
 protected:
  Surface old_{kW, kH, kOld};
  Surface new_{kW, kH, kNew};

  Surface Frame(int type, TransitionPhase phase) {
    return RenderTransitionFrame(type, old_, new_, phase);
  }
  // Share of the frame's pixels that come from the new picture; every pixel must come from
  // one of the two.
  double NewShare(const Surface& frame) {
    int64_t fresh = 0;
    for (uint32_t p : frame.Pixels()) {
      EXPECT_TRUE(p == kOld || p == kNew) << std::hex << p;
      fresh += p == kNew;
    }
    return static_cast<double>(fresh) / static_cast<double>(frame.Pixels().size());
  }
};

// Steps of 10 on 100 x 60: h = 6 rows, w = 10 columns a step.
struct PixelCase {
  int type;
  int done;
  double progress;
  int x, y;
  bool fresh;  // from the new picture
};

TEST_F(TransitionEffectTest, PixelsComeFromTheOldOrTheNewPicture) {
  const PixelCase cases[] = {
      // 2: the first (k + 2) * h rows from the top.
      {2, 0, 0, 5, 11, true},
      {2, 0, 0, 5, 12, false},
      {2, 3, 0, 50, 29, true},
      {2, 3, 0, 50, 30, false},
      // 3: from the bottom.
      {3, 0, 0, 5, 48, true},
      {3, 0, 0, 5, 47, false},
      // 6: rows from the centre out; 7: from both edges in.
      {6, 0, 0, 5, 24, true},
      {6, 0, 0, 5, 35, true},
      {6, 0, 0, 5, 23, false},
      {6, 0, 0, 5, 36, false},
      {7, 0, 0, 5, 5, true},
      {7, 0, 0, 5, 6, false},
      {7, 0, 0, 5, 54, true},
      {7, 0, 0, 5, 53, false},
      // 4: the first (k + 1) * w columns of every row; 5: from the row's end.
      {4, 0, 0, 9, 30, true},
      {4, 0, 0, 10, 30, false},
      {4, 3, 0, 39, 59, true},
      {4, 3, 0, 40, 59, false},
      {5, 0, 0, 90, 30, true},
      {5, 0, 0, 89, 30, false},
      // 8: columns from the centre out; 9: from both sides in.
      {8, 1, 0, 40, 0, true},
      {8, 1, 0, 59, 0, true},
      {8, 1, 0, 39, 0, false},
      {8, 1, 0, 60, 0, false},
      {9, 1, 0, 9, 0, true},
      {9, 1, 0, 10, 0, false},
      {9, 1, 0, 90, 0, true},
      {9, 1, 0, 89, 0, false},
      // 10, 11: bands of 10 rows filled one row a step, from the band's top or bottom.
      {10, 2, 0, 0, 12, true},
      {10, 2, 0, 0, 13, false},
      {10, 2, 0, 0, 52, true},
      {11, 2, 0, 0, 17, true},
      {11, 2, 0, 0, 16, false},
      // 13: the ripple starts in the centre.
      {13, 0, 0.2, 50, 30, true},
      {13, 0, 0.2, 0, 0, false},
      // 16: a wave front going down; 17: going right.
      {16, 0, 0.5, 50, 0, true},
      {16, 0, 0.5, 50, 59, false},
      {17, 0, 0.5, 0, 30, true},
      {17, 0, 0.5, 99, 30, false},
  };
  for (const PixelCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "T=" << c.type << " k=" << c.done << " p=" << c.progress
                                      << " at " << c.x << "," << c.y);
    const Surface frame = Frame(c.type, {10, c.done, c.progress});
    EXPECT_EQ(frame.Pixel(c.x, c.y), c.fresh ? kNew : kOld);
  }
}

// Every effect starts near the old picture, only ever adds new pixels, and ends on the new one.
TEST_F(TransitionEffectTest, EveryEffectGrowsFromOldToNew) {
  for (int type = 1; type <= 17; ++type) {
    if (type == 12)
      continue;  // the cross-fade blends; below
    SCOPED_TRACE(::testing::Message() << "T=" << type);
    const bool steps = IsStepTransition(type);
    double last = -1;
    for (int i = 0; i <= 10; ++i) {
      const TransitionPhase phase{10, i, i / 10.0};
      const double share = NewShare(Frame(type, phase));
      EXPECT_GE(share, last) << "step " << i;
      last = share;
      if (i == 0) {
        EXPECT_LE(share, steps ? 0.21 : 0.0);
      }
    }
    EXPECT_EQ(last, 1.0);
  }
}

TEST_F(TransitionEffectTest, DissolveTurnsOverItsShareOfPixels) {
  const double share = NewShare(Frame(1, {10, 5, 0}));
  EXPECT_NEAR(share, 0.5, 0.05);
  // Not in blocks: neighbouring rows differ.
  const Surface frame = Frame(1, {10, 5, 0});
  int differing = 0;
  for (int x = 0; x < kW; ++x)
    differing += frame.Pixel(x, 10) != frame.Pixel(x, 11);
  EXPECT_GT(differing, 20);
}

TEST_F(TransitionEffectTest, CrossFadeBlendsWithAGrowingWeight) {
  old_ = Surface(kW, kH, 0x102030);
  new_ = Surface(kW, kH, 0xF0E0D0);
  EXPECT_EQ(Frame(12, {10, 0, 0}).Pixel(3, 3), 0x102030u);
  EXPECT_EQ(Frame(12, {10, 10, 0}).Pixel(3, 3), 0xF0E0D0u);
  // Weight 128 of 255 halfway; and more steps never step back.
  EXPECT_EQ(Frame(12, {10, 5, 0}).Pixel(3, 3), 0x808080u);
  uint32_t last = 0;
  for (int k = 0; k <= 7; ++k) {
    const uint32_t red = Frame(12, {7, k, 0}).Pixel(50, 50) >> 16;
    EXPECT_GT(red, last) << k;
    last = red;
  }
}

TEST_F(TransitionEffectTest, PhasesOutsideTheirRangeAreClamped) {
  EXPECT_EQ(Frame(2, {10, 50, 0}), new_);
  EXPECT_EQ(Frame(4, {0, 0, 0}), Frame(4, {1, 0, 0}));
  EXPECT_EQ(Frame(16, {1, 0, 7.0}), new_);
  EXPECT_EQ(Frame(13, {1, 0, -1.0}), old_);
}

TEST_F(TransitionEffectTest, PicturesOfAnotherSizeAreRefused) {
  const TransitionEffect effect(2, kW, kH);
  Surface out;
  EXPECT_THROW(effect.Draw(Surface(kW, kH + 1), new_, {}, out), std::invalid_argument);
  EXPECT_THROW(effect.Draw(old_, Surface(kW - 1, kH), {}, out), std::invalid_argument);
  // A stale output surface is resized, not written past.
  out = Surface(3, 3);
  effect.Draw(old_, new_, {10, 0, 0}, out);
  EXPECT_EQ(out.Width(), kW);
  EXPECT_EQ(out.Height(), kH);
}

TEST_F(TransitionEffectTest, TinyPicturesDoNotBreakTheGeometry) {
  // Fewer rows and columns than steps: h and w are 0 until the end.
  for (int type = 1; type <= 17; ++type) {
    const Surface o(3, 2, kOld), n(3, 2, kNew);
    for (int k = 0; k <= 30; k += 10)
      EXPECT_EQ(RenderTransitionFrame(type, o, n, {30, k, k / 30.0}).Width(), 3) << type;
    EXPECT_EQ(RenderTransitionFrame(type, Surface(), Surface(), {30, 5, 0.5}).Width(), 0);
  }
}

}  // namespace
}  // namespace qlm::test
