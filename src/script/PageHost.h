#pragma once

namespace qlm {

// What the page flow needs from the player window besides the page manager: showing the page
// that became current, the transition from the old picture to the new one, and the end of the
// show.
class PageHost {
 public:
  virtual ~PageHost() = default;

  // The page-shown routine after the page manager made a page current: ShowCurrentPage with
  // the window's hooks, plus whatever the window does for a new page. Not the enter script.
  virtual void ShowPage() = 0;

  // Page transitions: the old picture is captured before the page is left; Start returns true
  // when an animated transition began (it then repaints by itself).
  virtual void PrepareTransition() {}
  virtual bool StartTransition() { return false; }

  // Closes the player the OK way (Exit, the exit timer, No on a missing Next).
  virtual void ClosePlayer() = 0;
};

}  // namespace qlm
