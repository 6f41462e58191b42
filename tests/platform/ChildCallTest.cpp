#include "platform/host/ChildCall.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <thread>
#include <vector>

namespace qlm::test {
namespace {

using namespace std::chrono_literals;

// What the child writes reaches the caller only when it finishes in time; a crash or a hang
// ends the child, never the caller, and leaves the output cleared.
TEST(ChildCall, OnlyAFinishedChildHandsItsBytesBack) {
  struct Case {
    const char* name;
    std::function<bool(std::span<uint8_t>)> work;
    std::optional<bool> result;
  };
  const auto fill = [](std::span<uint8_t> shared) {
    for (size_t i = 0; i < shared.size(); ++i)
      shared[i] = static_cast<uint8_t>(i + 1);
  };
  const Case cases[] = {
      {"drawn",
       [&](std::span<uint8_t> s) {
         fill(s);
         return true;
       },
       true},
      {"refused",
       [&](std::span<uint8_t> s) {
         fill(s);
         return false;
       },
       false},
      {"crashes",
       [&](std::span<uint8_t> s) {
         fill(s);
         std::raise(SIGSEGV);
         return true;
       },
       std::nullopt},
      {"aborts",
       [&](std::span<uint8_t> s) {
         fill(s);
         std::abort();
         return true;
       },
       std::nullopt},
      {"exits",
       [&](std::span<uint8_t> s) {
         fill(s);
         std::_Exit(0);
         return true;
       },
       std::nullopt},
      {"hangs",
       [&](std::span<uint8_t> s) -> bool {
         fill(s);
         for (;;)
           std::this_thread::sleep_for(1s);
       },
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> out(64, 0xEE);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CallInChild(out, c.work, 300ms), c.result);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    for (size_t i = 0; i < out.size(); ++i)
      ASSERT_EQ(out[i], c.result == true ? static_cast<uint8_t>(i + 1) : 0) << i;
  }
}

}  // namespace
}  // namespace qlm::test
