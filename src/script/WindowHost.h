#pragma once

#include <string>

namespace qlm {

// The player window as the platform shows it: title, focus, minimising and the placement
// SysCommand changes.
class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // Caption of Message boxes.
  virtual std::string WindowTitle() const = 0;
  // The Page command gives the window the keyboard focus unless a list object holds it.
  virtual void FocusPlayerWindow() {}
  // Minimize and Restore: the platform's minimise and restore of the window.
  virtual void MinimizeWindow() {}
  virtual void RestoreWindow() {}
  // SysCommand's window placement; a size below 1 keeps that dimension.
  virtual void ResizeWindow(int /*width*/, int /*height*/) {}
  virtual void MoveWindow(int /*x*/, int /*y*/) {}
  virtual void CenterWindow() {}
  virtual void SetTopmost(bool /*topmost*/) {}
  // Vertical resolution of the screen in dots per inch; font sizes in points use it.
  virtual int ScreenDpiY() const { return 96; }
};

}  // namespace qlm
