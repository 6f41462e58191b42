#include "player/TransitionEffect.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>

#include "player/TransitionTiming.h"

namespace qlm {
namespace {

using namespace transition_type;

// The grey value of the dissolve mask at a pixel: a well-mixed hash, so that the pixels turn
// over in an even scatter.
uint8_t MaskValue(uint32_t x, uint32_t y) {
  uint32_t h = x * 0x9E3779B1u ^ (y + 0x7F4A7C15u) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return static_cast<uint8_t>(h >> 24);
}

// old * (255 - a) + new * a over 255, two channels at a time.
uint32_t Blend(uint32_t o, uint32_t n, uint32_t a) {
  const uint32_t b = 255 - a;
  uint32_t rb = (o & 0xFF00FFu) * b + (n & 0xFF00FFu) * a;
  uint32_t g = ((o >> 8) & 0xFFu) * b + ((n >> 8) & 0xFFu) * a;
  rb = ((rb + ((rb >> 8) & 0xFF00FFu) + 0x010001u) >> 8) & 0xFF00FFu;
  g = ((g + (g >> 8) + 1) >> 8) & 0xFFu;
  return rb | (g << 8);
}

void CopySpan(const Surface& from, Surface& to, int y, int x0, int x1) {
  if (x1 > x0)
    std::memcpy(to.Row(y) + x0, from.Row(y) + x0, static_cast<size_t>(x1 - x0) * 4);
}

void CopyRow(const Surface& from, Surface& to, int y) {
  CopySpan(from, to, y, 0, from.Width());
}

// A small generator for the drops' places, fixed so that every run looks the same.
class DropRandom {
 public:
  explicit DropRandom(uint32_t seed) : state_(seed) {}
  double Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24);
  }

 private:
  uint32_t state_;
};

constexpr int kDropCount = 12;
constexpr double kRippleWavelength = 24.0;  // pixels between the ripple's crests
constexpr double kRippleAmplitude = 8.0;    // pixels the new picture is pushed out at most
constexpr double kRippleTrail = 3.0;        // wavelengths of ripples behind the front

}  // namespace

TransitionEffect::TransitionEffect(int type, int width, int height)
    : type_(type), width_(std::max(width, 0)), height_(std::max(height, 0)) {
  const size_t pixels = static_cast<size_t>(width_) * static_cast<size_t>(height_);
  if (type_ == kDissolve) {
    mask_.resize(pixels);
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x)
        mask_[static_cast<size_t>(y) * width_ + x] = MaskValue(x, y);
    }
  } else if (type_ == kRipple) {
    distance_.resize(pixels);
    const int cx = width_ / 2, cy = height_ / 2;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        distance_[static_cast<size_t>(y) * width_ + x] =
            static_cast<uint16_t>(std::lround(std::hypot(x - cx, y - cy)));
      }
    }
  } else if (type_ == kDrops || type_ == kStaggeredDrops) {
    DropRandom random(0x51D3u + static_cast<uint32_t>(type_));
    for (int i = 0; i < kDropCount; ++i) {
      Drop drop{};
      drop.x = static_cast<int>(random.Next() * width_);
      drop.y = static_cast<int>(random.Next() * height_);
      const int far_x = std::max(drop.x, width_ - drop.x);
      const int far_y = std::max(drop.y, height_ - drop.y);
      drop.reach = static_cast<int>(std::ceil(std::hypot(far_x, far_y))) + 1;
      if (type_ == kDrops) {
        // All fall at once and grow at their own speeds; every one covers the picture by the end.
        drop.from = 0.0;
        drop.to = 0.6 + 0.4 * random.Next();
      } else {
        // One after the other.
        drop.from = 0.7 * i / kDropCount;
        drop.to = 1.0;
      }
      drops_.push_back(drop);
    }
  }
}

void TransitionEffect::Draw(const Surface& oldPicture, const Surface& newPicture,
                            const TransitionPhase& phase, Surface& out) const {
  if (oldPicture.Width() != width_ || oldPicture.Height() != height_ ||
      newPicture.Width() != width_ || newPicture.Height() != height_) {
    throw std::invalid_argument("transition pictures differ in size from the effect");
  }
  if (out.Width() != width_ || out.Height() != height_)
    out = Surface(width_, height_);
  if (width_ == 0 || height_ == 0)
    return;
  if (IsStepTransition(type_)) {
    const int steps = std::max(phase.steps, 1);
    DrawSteps(oldPicture, newPicture, steps, std::clamp(phase.done, 0, steps), out);
    return;
  }
  const double progress = std::isnan(phase.progress) ? 1.0 : std::clamp(phase.progress, 0.0, 1.0);
  switch (type_) {
    case kRipple:
      DrawRipple(oldPicture, newPicture, progress, out);
      return;
    case kDrops:
    case kStaggeredDrops:
      DrawDrops(oldPicture, newPicture, progress, out);
      return;
    case kWavesDown:
    case kWavesRight:
      DrawWaves(oldPicture, newPicture, progress, out);
      return;
    default:
      out = newPicture;
      return;
  }
}

void TransitionEffect::DrawSteps(const Surface& o, const Surface& n, int steps, int done,
                                 Surface& out) const {
  const int w = width_, h = height_;
  const int64_t k = done, s = steps;
  switch (type_) {
    case kDissolve: {
      // The mask's grey values below the threshold show the new picture.
      const int64_t threshold = std::min<int64_t>(256, k * 256 / s);
      for (int y = 0; y < h; ++y) {
        const uint32_t* op = o.Row(y);
        const uint32_t* np = n.Row(y);
        const uint8_t* mp = mask_.data() + static_cast<size_t>(y) * w;
        uint32_t* dst = out.Row(y);
        for (int x = 0; x < w; ++x)
          dst[x] = mp[x] < threshold ? np[x] : op[x];
      }
      return;
    }
    case kCrossFade: {
      const uint32_t a = static_cast<uint32_t>(std::min<int64_t>(255, k * 256 / s));
      for (int y = 0; y < h; ++y) {
        const uint32_t* op = o.Row(y);
        const uint32_t* np = n.Row(y);
        uint32_t* dst = out.Row(y);
        for (int x = 0; x < w; ++x)
          dst[x] = Blend(op[x], np[x], a);
      }
      return;
    }
    case kWipeDown:
    case kWipeUp:
    case kRowsFromCentre:
    case kRowsFromEdges: {
      const int count = static_cast<int>(std::min<int64_t>(h, (k + 2) * (h / s)));
      int a0 = 0, a1 = 0, b0 = h, b1 = h;  // rows [a0, a1) and [b0, b1) are new
      if (type_ == kWipeDown) {
        a1 = count;
      } else if (type_ == kWipeUp) {
        b0 = h - count;
      } else if (type_ == kRowsFromCentre) {
        a0 = (h - count) / 2;
        a1 = a0 + count;
      } else {
        a1 = count / 2;
        b0 = h - (count - count / 2);
      }
      for (int y = 0; y < h; ++y) {
        const bool fresh = (y >= a0 && y < a1) || (y >= b0 && y < b1);
        CopyRow(fresh ? n : o, out, y);
      }
      return;
    }
    case kWipeRight:
    case kWipeLeft:
    case kColumnsFromCentre:
    case kColumnsFromEdges: {
      const int count = static_cast<int>(std::min<int64_t>(w, (k + 1) * (w / s)));
      int a0 = 0, a1 = 0, b0 = w, b1 = w;  // columns [a0, a1) and [b0, b1) are new
      if (type_ == kWipeRight) {
        a1 = count;
      } else if (type_ == kWipeLeft) {
        b0 = w - count;
      } else if (type_ == kColumnsFromCentre) {
        a0 = (w - count) / 2;
        a1 = a0 + count;
      } else {
        a1 = count / 2;
        b0 = w - (count - count / 2);
      }
      for (int y = 0; y < h; ++y) {
        CopyRow(o, out, y);
        CopySpan(n, out, y, a0, a1);
        CopySpan(n, out, y, b0, b1);
      }
      return;
    }
    case kBandsDown:
    case kBandsUp: {
      // Bands of `steps` rows; each step adds one row to every band.
      const int64_t filled = std::min(s, k + 1);
      for (int y = 0; y < h; ++y) {
        const int64_t row = y % s;
        const bool fresh = type_ == kBandsDown ? row < filled : row >= s - filled;
        CopyRow(fresh ? n : o, out, y);
      }
      return;
    }
    default:
      out = n;
      return;
  }
}

void TransitionEffect::DrawRipple(const Surface& o, const Surface& n, double progress,
                                  Surface& out) const {
  // A circle of the new picture grows from the centre; just behind its edge the new picture
  // is pushed in and out by rings that calm down as the transition ends.
  const int w = width_, h = height_;
  const int cx = w / 2, cy = h / 2;
  const int maxDistance = static_cast<int>(std::ceil(std::hypot(cx, cy))) + 1;
  const double front = progress * (maxDistance + kRippleWavelength * kRippleTrail);
  const double amplitude = kRippleAmplitude * (1.0 - progress);
  // Per distance: 16.16 scale of the sampling position towards or away from the centre.
  std::vector<int32_t> scale(static_cast<size_t>(maxDistance) + 1, 1 << 16);
  for (int d = 1; d <= maxDistance; ++d) {
    const double depth = front - d;
    if (depth <= 0 || depth > kRippleWavelength * kRippleTrail)
      continue;
    const double push = amplitude * std::sin(2.0 * std::numbers::pi * depth / kRippleWavelength);
    scale[static_cast<size_t>(d)] = static_cast<int32_t>(std::lround((d + push) / d * 65536.0));
  }
  for (int y = 0; y < h; ++y) {
    const uint32_t* op = o.Row(y);
    const uint16_t* dp = distance_.data() + static_cast<size_t>(y) * w;
    uint32_t* dst = out.Row(y);
    const int64_t dy = y - cy;
    for (int x = 0; x < w; ++x) {
      const int d = dp[x];
      if (d >= front) {
        dst[x] = op[x];
        continue;
      }
      const int64_t f = scale[static_cast<size_t>(std::min(d, maxDistance))];
      const int sx = std::clamp(static_cast<int>(cx + (((x - cx) * f) >> 16)), 0, w - 1);
      const int sy = std::clamp(static_cast<int>(cy + ((dy * f) >> 16)), 0, h - 1);
      dst[x] = n.Row(sy)[sx];
    }
  }
}

void TransitionEffect::DrawDrops(const Surface& o, const Surface& n, double progress,
                                 Surface& out) const {
  out = o;
  for (const Drop& drop : drops_) {
    if (progress <= drop.from)
      continue;
    const double grown = std::min(1.0, (progress - drop.from) / (drop.to - drop.from));
    const int64_t r = static_cast<int64_t>(grown * drop.reach);
    const int y0 = static_cast<int>(std::max<int64_t>(0, drop.y - r));
    const int y1 = static_cast<int>(std::min<int64_t>(height_ - 1, drop.y + r));
    for (int y = y0; y <= y1; ++y) {
      const int64_t dy = y - drop.y;
      const int64_t half = static_cast<int64_t>(std::sqrt(static_cast<double>(r * r - dy * dy)));
      const int x0 = static_cast<int>(std::max<int64_t>(0, drop.x - half));
      const int x1 = static_cast<int>(std::min<int64_t>(width_, drop.x + half + 1));
      CopySpan(n, out, y, x0, x1);
    }
  }
}

void TransitionEffect::DrawWaves(const Surface& o, const Surface& n, double progress,
                                 Surface& out) const {
  // A wavy edge sweeps over the picture (down for 16, to the right for 17); the crests roll
  // along it as it goes.
  const bool down = type_ == kWavesDown;
  const int along = down ? width_ : height_;   // the length of the edge
  const int across = down ? height_ : width_;  // the way it travels
  const double amplitude = std::max(4.0, across / 24.0);
  const double wavelength = std::max(16.0, along / 5.0);
  const double front = progress * (across + 2 * amplitude) - amplitude;
  const double roll = progress * 4.0 * std::numbers::pi;
  std::vector<int> edge(static_cast<size_t>(along));
  for (int i = 0; i < along; ++i) {
    const double e = front + amplitude * std::sin(2.0 * std::numbers::pi * i / wavelength + roll);
    edge[static_cast<size_t>(i)] = std::clamp(static_cast<int>(std::lround(e)), 0, across);
  }
  for (int y = 0; y < height_; ++y) {
    if (down) {
      const uint32_t* op = o.Row(y);
      const uint32_t* np = n.Row(y);
      uint32_t* dst = out.Row(y);
      for (int x = 0; x < width_; ++x)
        dst[x] = y < edge[static_cast<size_t>(x)] ? np[x] : op[x];
    } else {
      const int cut = edge[static_cast<size_t>(y)];
      CopySpan(n, out, y, 0, cut);
      CopySpan(o, out, y, cut, width_);
    }
  }
}

Surface RenderTransitionFrame(int type, const Surface& oldPicture, const Surface& newPicture,
                              const TransitionPhase& phase) {
  Surface out;
  TransitionEffect(type, oldPicture.Width(), oldPicture.Height())
      .Draw(oldPicture, newPicture, phase, out);
  return out;
}

}  // namespace qlm
