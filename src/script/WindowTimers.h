#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace qlm {

// Every timer id of the player window in one table, so that no two users of the window's
// event loop pick the same id. The executor owns 0, 4, 105 and 1001..2000; the window, its
// media devices, the tool-tip bubble and the transition window own the rest.
namespace window_timer {
inline constexpr uint32_t kPage = 0;     // page timer and exit timer
inline constexpr uint32_t kScript = 4;   // ScriptTimer without a timer name
inline constexpr uint32_t kOneShot = 8;  // also the timed hide of mouse-over targets
inline constexpr uint32_t kFirstAnimation = 10;
inline constexpr uint32_t kLastAnimation = 99;
inline constexpr uint32_t kAnimatedRegion = 100;
inline constexpr uint32_t kPageScript = 105;  // deferred page enter script
inline constexpr uint32_t kVideoTime = 502;
inline constexpr uint32_t kMediaEnd = 503;  // a playing media device reaches its end
inline constexpr uint32_t kDateTime = 600;
inline constexpr uint32_t kOpenProject = 999;  // another project opens once no script runs
inline constexpr uint32_t kFirstNamed = 1001;  // ScriptTimer "timerN=": 1000 + N
inline constexpr uint32_t kLastNamed = 2000;
inline constexpr uint32_t kBubble = 2827;      // the tool-tip bubble's delay
inline constexpr uint32_t kTransition = 2828;  // frames of a page transition
inline constexpr uint32_t kVideoFrame = 2829;  // the next picture of a playing video is due

// The table above as ranges, in order; a new id that overlaps another fails the build.
struct Range {
  uint32_t first, last;
};
inline constexpr Range kRanges[] = {{kPage, kPage},
                                    {kScript, kScript},
                                    {kOneShot, kOneShot},
                                    {kFirstAnimation, kLastAnimation},
                                    {kAnimatedRegion, kAnimatedRegion},
                                    {kPageScript, kPageScript},
                                    {kVideoTime, kVideoTime},
                                    {kMediaEnd, kMediaEnd},
                                    {kDateTime, kDateTime},
                                    {kOpenProject, kOpenProject},
                                    {kFirstNamed, kLastNamed},
                                    {kBubble, kBubble},
                                    {kTransition, kTransition},
                                    {kVideoFrame, kVideoFrame}};
constexpr bool RangesAscendApart() {
  for (size_t i = 0; i < std::size(kRanges); ++i) {
    if (kRanges[i].first > kRanges[i].last)
      return false;
    if (i > 0 && kRanges[i - 1].last >= kRanges[i].first)
      return false;
  }
  return true;
}
static_assert(RangesAscendApart(), "two window timers share an id");
}  // namespace window_timer

}  // namespace qlm
