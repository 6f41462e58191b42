#include "tools/ProgressBar.h"

#include <cstdio>

#include <unistd.h>

namespace qlm {

namespace {

constexpr size_t kBarWidth = 30;
constexpr std::chrono::milliseconds kRedrawEvery{100};

}  // namespace

ProgressBar::ProgressBar(std::string what, size_t total, int fd)
    : what_(std::move(what)),
      total_(total),
      fd_(fd),
      shown_(::isatty(fd) == 1),
      start_(std::chrono::steady_clock::now()) {
  if (shown_) {
    std::lock_guard lock(mutex_);
    Draw();
  }
}

ProgressBar::~ProgressBar() {
  Finish();
}

void ProgressBar::Advance(size_t count) {
  if (!shown_)
    return;
  std::lock_guard lock(mutex_);
  done_ += count;
  if (!finished_ && std::chrono::steady_clock::now() - lastDraw_ >= kRedrawEvery)
    Draw();
}

void ProgressBar::Finish() {
  if (!shown_)
    return;
  std::lock_guard lock(mutex_);
  if (finished_)
    return;
  Draw();
  finished_ = true;
  [[maybe_unused]] const ssize_t written = ::write(fd_, "\n", 1);
}

void ProgressBar::Draw() {
  lastDraw_ = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(lastDraw_ - start_).count();
  const size_t filled = total_ == 0 ? kBarWidth : std::min(kBarWidth, done_ * kBarWidth / total_);
  std::string line = "\r\x1b[2K" + what_ + " [" + std::string(filled, '#') +
                     std::string(kBarWidth - filled, '-') + "] " + std::to_string(done_) + "/" +
                     std::to_string(total_);
  char rate[48];
  std::snprintf(rate, sizeof rate, "  %.1f/s  %ds", seconds > 0 ? done_ / seconds : 0.0,
                static_cast<int>(seconds));
  line += rate;
  [[maybe_unused]] const ssize_t written = ::write(fd_, line.data(), line.size());
}

}  // namespace qlm
