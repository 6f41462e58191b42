#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>

namespace qlm {

// One line on a terminal, redrawn as work is done: what is counted, a bar, done/total and the
// rate so far. Nothing is written when `fd` is not a terminal, so logs and pipes stay clean.
// Advance may be called from any thread.
class ProgressBar {
 public:
  ProgressBar(std::string what, size_t total, int fd);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Advance(size_t count = 1);
  // Draws the last state and ends the line; later calls do nothing.
  void Finish();

  bool Shown() const { return shown_; }

 private:
  void Draw();

  std::string what_;
  size_t total_;
  int fd_;
  bool shown_;
  bool finished_ = false;
  size_t done_ = 0;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
  std::mutex mutex_;
};

}  // namespace qlm
