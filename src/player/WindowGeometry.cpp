#include "player/WindowGeometry.h"

#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "document/PageManager.h"
#include "document/ProjectSettings.h"
#include "platform/Display.h"
#include "platform/ProfileStore.h"
#include "player/ClientSize.h"

namespace qlm {

WindowGeometry::WindowGeometry(Display& display, ProfileStore& profile,
                               std::function<void()> resized, std::function<void()> repaint)
    : display_(display),
      profile_(profile),
      resized_(std::move(resized)),
      repaint_(std::move(repaint)) {}

void WindowGeometry::Apply(const ProjectSettings& s) {
  std::tie(clientWidth_, clientHeight_) = FitClientSize(s.clientWidth, s.clientHeight);
  title_ = s.title;
  showTitleBar_ = s.showTitleBar != 0;
  minimizeAllowed_ = s.allowMinimize != 0;
  changeResolution_ = s.changeResolution != 0;
  changeOnlyIfSmaller_ = !s.alwaysChange;
  resolutionIndex_ = static_cast<int>(s.resolutionIndex);
  alwaysOnTop_ = s.windowMode == 1;
  desktopMode_ = s.onDesktop;
  rememberPosition_ = s.rememberPosition != 0;
  profileSection_ = s.profileSection;
  shapedWindow_ = s.shapedWindow != 0;
}

void WindowGeometry::ChangeResolution() {
  static constexpr int kTargets[4][2] = {{640, 480}, {800, 600}, {960, 720}, {1024, 768}};
  if (!changeResolution_ || resolutionIndex_ < 0 || resolutionIndex_ > 3)
    return;
  const int width = kTargets[resolutionIndex_][0];
  const int height = kTargets[resolutionIndex_][1];
  if (screenWidth_ == width)
    return;
  // A screen narrower than the target keeps its mode unless the project asks to change
  // whenever the widths differ.
  if (changeOnlyIfSmaller_ && screenWidth_ < width)
    return;
  // No display-mode switch: a full-screen window scaled to the screen shows the asked size.
  display_.RequestFullScreen(width, height);
  displayChanged_ = true;
  screenWidth_ = width;
  screenHeight_ = height;
}

void WindowGeometry::MeasureScreen() {
  const ScreenMetrics screen = display_.Screen();
  screenWidth_ = screen.width;
  screenHeight_ = screen.height;
  ChangeResolution();
  // A desktop window is never topmost. Desktop mode itself has no meaning outside the Windows
  // shell and stays a setting.
  if (desktopMode_)
    alwaysOnTop_ = false;
}

void WindowGeometry::ShowWindow() {
  display_.SetDecorations(showTitleBar_, minimizeAllowed_);
  display_.SetClientSize(clientWidth_, clientHeight_);
  display_.SetTopmost(alwaysOnTop_);
}

void WindowGeometry::ShowProject() {
  display_.SetClientSize(clientWidth_, clientHeight_);
  display_.SetTitle(title_);
  display_.SetDecorations(showTitleBar_, minimizeAllowed_);
}

void WindowGeometry::PlanStart() {
  const ScreenMetrics screen = display_.Screen();
  const int centreX = (screen.width - clientWidth_) / 2;
  const int centreY = (screen.height - clientHeight_) / 2;
  placeX_ = centreX;
  placeY_ = centreY;
  if (rememberPosition_) {
    const int x = profile_.GetInt(profileSection_, "X", -1);
    const int y = profile_.GetInt(profileSection_, "Y", -1);
    if (x >= 0 && y >= 0) {
      placeX_ = x;
      placeY_ = y;
    }
  }
}

void WindowGeometry::MoveToStart() {
  display_.SetPosition(placeX_, placeY_);
}

void WindowGeometry::ApplyShape(const CPageManager& pages) {
  if (showTitleBar_ || !shapedWindow_)
    return;
  const std::optional<std::vector<IntRect>> region = pages.BuildWindowRegion();
  if (!region || region->empty())
    return;  // an empty region leaves the window rectangular
  std::vector<ShapeBox> boxes;
  boxes.reserve(region->size());
  for (const IntRect& r : *region)
    boxes.push_back({r.left, r.top, r.right, r.bottom});
  display_.SetShape(boxes);
}

void WindowGeometry::SavePosition() {
  if (rememberPosition_) {
    profile_.WriteInt(profileSection_, "X", display_.Left());
    profile_.WriteInt(profileSection_, "Y", display_.Top());
  }
}

void WindowGeometry::RestoreDisplay() {
  if (displayChanged_) {
    display_.RequestFullScreen(0, 0);
    displayChanged_ = false;
  }
}

WindowMetrics WindowGeometry::Metrics() const {
  const ScreenMetrics screen = display_.Screen();
  WindowMetrics m;
  m.windowLeft = display_.Left();
  m.windowTop = display_.Top();
  m.clientWidth = clientWidth_;
  m.clientHeight = clientHeight_;
  m.windowWidth = clientWidth_;
  m.windowHeight = clientHeight_;
  m.screenWidth = screenWidth_ ? screenWidth_ : screen.width;
  m.screenHeight = screenHeight_ ? screenHeight_ : screen.height;
  m.workAreaWidth = screen.workAreaWidth;
  m.workAreaHeight = screen.workAreaHeight;
  m.screenColorBits = screen.colorBits;
  return m;
}

void WindowGeometry::MinimizeWindow() {
  display_.SetMinimized(true);
}

void WindowGeometry::RestoreWindow() {
  display_.SetMinimized(false);
  repaint_();
}

void WindowGeometry::ResizeWindow(int width, int height) {
  // A size below 1 keeps that dimension; sizes stay within what a frame can hold.
  std::tie(clientWidth_, clientHeight_) =
      FitClientSize(width < 1 ? clientWidth_ : width, height < 1 ? clientHeight_ : height);
  display_.SetClientSize(clientWidth_, clientHeight_);
  resized_();
}

void WindowGeometry::MoveWindow(int x, int y) {
  display_.SetPosition(x, y);
}

void WindowGeometry::CenterWindow() {
  const ScreenMetrics screen = display_.Screen();
  display_.SetPosition((screen.width - clientWidth_) / 2, (screen.height - clientHeight_) / 2);
}

void WindowGeometry::SetTopmost(bool topmost) {
  alwaysOnTop_ = topmost;
  display_.SetTopmost(topmost);
}

}  // namespace qlm
