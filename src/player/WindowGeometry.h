#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "expr/EvaluatorOwner.h"
#include "script/WindowHost.h"

namespace qlm {

class CPageManager;
class Display;
class ProfileStore;
struct ProjectSettings;

// The player window's size, place and look on the screen: the client size and its limits, the
// screen and the resolution the project asks for, decorations, title and stacking, the
// start position (centred or remembered) and the outline of a shaped window. Scripts reach it
// as the WindowHost role.
class WindowGeometry : public WindowHost {
 public:
  // `resized` is called after the client size changed (the frame, the page area and the shape
  // follow and all is repainted); `repaint` when the whole client area needs painting.
  WindowGeometry(Display& display, ProfileStore& profile, std::function<void()> resized,
                 std::function<void()> repaint);

  // Takes the window settings of a project that was read.
  void Apply(const ProjectSettings& settings);

  // Start-up, in this order: the screen is measured (a resolution change becomes a scaled
  // full-screen request; a desktop window is never topmost), the window shows its
  // decorations, client size and stacking, and its start position is worked out (the move
  // itself waits until the window has appeared: MoveToStart).
  void MeasureScreen();
  void ShowWindow();
  void PlanStart();
  void MoveToStart();
  // Another project in a running window: the window takes its client size, title and
  // decorations.
  void ShowProject();
  // The outline of a shaped window without title bar, from the page manager's region.
  void ApplyShape(const CPageManager& pages);
  // Closing: the position is remembered when the project asks for it.
  void SavePosition();
  // Shutting down: a full-screen window asked for a resolution goes back to normal.
  void RestoreDisplay();

  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  const std::string& Title() const { return title_; }
  bool ShowsTitleBar() const { return showTitleBar_; }
  // Whether a resolution change made the window full-screen.
  bool DisplayChanged() const { return displayChanged_; }
  // The project's section in the profile (the position and saved variables live there).
  const std::string& ProfileSection() const { return profileSection_; }
  // What the information functions read of the window and the screen.
  WindowMetrics Metrics() const;

  // ---- WindowHost ----
  std::string WindowTitle() const override { return title_; }
  void MinimizeWindow() override;
  void RestoreWindow() override;
  void ResizeWindow(int width, int height) override;
  void MoveWindow(int x, int y) override;
  void CenterWindow() override;
  void SetTopmost(bool topmost) override;

 private:
  void ChangeResolution();

  Display& display_;
  ProfileStore& profile_;
  std::function<void()> resized_;
  std::function<void()> repaint_;

  // The defaults before a project is read.
  int clientWidth_ = 100, clientHeight_ = 100;
  std::string title_ = "Untitled";
  bool showTitleBar_ = true;
  bool minimizeAllowed_ = true;
  bool changeResolution_ = false;
  bool changeOnlyIfSmaller_ = true;
  int resolutionIndex_ = 0;
  bool displayChanged_ = false;
  int screenWidth_ = 0, screenHeight_ = 0;
  bool alwaysOnTop_ = false;
  bool desktopMode_ = false;
  bool rememberPosition_ = false;
  std::string profileSection_ = "QLM";
  bool shapedWindow_ = false;
  int placeX_ = 0, placeY_ = 0;
};

}  // namespace qlm
