#pragma once

#include <cstdint>

namespace qlm {

// The 15-bit linear congruential generator of the classic C library, kept so that rnd draws
// values in the same way stored presentations were made with.
class ClassicRandom {
 public:
  void Seed(uint32_t seed) { state_ = seed; }
  // Next value from 0 to 32767.
  int Next() {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

 private:
  uint32_t state_ = 1;
};

}  // namespace qlm
