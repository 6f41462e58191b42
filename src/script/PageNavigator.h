#pragma once

#include <cstdint>
#include <string>

namespace qlm {

class ScriptRunner;

// A request to open another project, carried out by the window from timer 999 once no script
// runs.
struct ProjectRequest {
  std::string path;  // a Windows path as scripts name files, or a host path (hostPath)
  bool hostPath = false;
  std::string page;  // the page to start on; empty for the project's own start
};

// Every page change of the player: by direction or name (page commands, clicks, HTML links),
// from the page timer, and into a project just opened; and the requests to open another
// project, which the window carries out. It belongs to the script runner, whose enter scripts
// and timers the changes start and stop.
class PageNavigator {
 public:
  // Timer 999 fires this long after a request.
  static constexpr uint32_t kProjectRequestDelayMs = 100;

  explicit PageNavigator(ScriptRunner& runner) : runner_(runner) {}

  // Page changes as the page commands make them: leave the page, show the new one, repaint
  // (through the page transition of the page left, when it has one) and run its enter script.
  // False when the page did not change.
  bool ChangePage(int direction);
  bool ChangePageByName(const std::string& name);
  // The page timer's change to a named page: no transition, nothing happens for a missing page.
  bool JumpToPage(const std::string& name);
  // Shows the current page again and runs its enter script (the page timer's THIS_PAGE).
  void ReshowPage();
  // A project was just opened: the script timers stop, `startPage` becomes current when it is
  // named, the page is shown and its enter script runs.
  void EnterProject(const std::string& startPage);
  // The page part of an HTML link "page:...": next, prev, first, last, back (the page shown
  // before) or a page name.
  void FollowLink(const std::string& page);

  // RunQMD in the same window: the current page's exit script runs, every script stops, and
  // timer 999 asks the window to open the project. A later request replaces this one.
  void RequestProject(std::string windowsPath, std::string page);
  // A document another instance handed over (a host path); it goes before RunQMD's.
  void RequestHostProject(std::string hostPath);
  // What timer 999 opens: the handed-over document before RunQMD's project; an empty path when
  // nothing is pending.
  const ProjectRequest& PendingProject() const;
  // Takes the pending request and forgets both. Scripts that RunQMD stopped may run again from
  // here on, whichever project opens, whether it loads or the current one stays, and even when
  // RunQMD's name came out empty.
  ProjectRequest TakeProjectRequest();

 private:
  ScriptRunner& runner_;
  ProjectRequest handedOver_;
  ProjectRequest requested_;
  bool scriptsStopped_ = false;  // RunQMD stopped them; the next take lets them run again
};

}  // namespace qlm
