#include "script/PageNavigator.h"

#include <utility>

#include "document/PageManager.h"
#include "platform/EventLoop.h"
#include "script/ScriptRunner.h"

namespace qlm {

bool PageNavigator::ChangePage(int direction) {
  ScriptHost& host = runner_.Host();
  PageHost& pages = runner_.Roles().pages;
  pages.PrepareTransition();
  if (!host.PageManager().GoToPage(direction))
    return false;
  pages.ShowPage();
  if (!pages.StartTransition())
    host.InvalidateAll(true);
  runner_.StartPageScript(1);
  return true;
}

bool PageNavigator::ChangePageByName(const std::string& name) {
  ScriptHost& host = runner_.Host();
  PageHost& pages = runner_.Roles().pages;
  pages.PrepareTransition();
  const bool changed = host.PageManager().GoToPageByName(name, false);
  pages.ShowPage();
  if (!pages.StartTransition())
    host.InvalidateAll(true);
  if (changed)
    runner_.StartPageScript(1);
  return changed;
}

bool PageNavigator::JumpToPage(const std::string& name) {
  ScriptHost& host = runner_.Host();
  if (!host.PageManager().GoToPageByName(name, false))
    return false;
  runner_.Roles().pages.ShowPage();
  host.InvalidateAll(true);
  runner_.StartPageScript(1);
  return true;
}

void PageNavigator::ReshowPage() {
  runner_.Roles().pages.ShowPage();
  runner_.StartPageScript(1);
  runner_.Host().InvalidateAll(true);
}

void PageNavigator::EnterProject(const std::string& startPage) {
  runner_.KillScriptTimers();
  if (!startPage.empty())
    runner_.Host().PageManager().GoToPageByName(startPage, false);
  runner_.Roles().pages.ShowPage();
  runner_.StartPageScript(1);
}

void PageNavigator::FollowLink(const std::string& page) {
  if (page == "next")
    ChangePage(CPageManager::kNext);
  else if (page == "prev")
    ChangePage(CPageManager::kPrevious);
  else if (page == "last")
    ChangePage(CPageManager::kLast);
  else if (page == "first")
    ChangePage(CPageManager::kFirst);
  else if (page == "back")
    ChangePageByName(std::string(CPageManager::kLastPage));
  else
    ChangePageByName(page);
}

void PageNavigator::RequestProject(std::string windowsPath, std::string page) {
  ScriptHost& host = runner_.Host();
  if (PageRecord* current = host.PageManager().CurrentPage())
    runner_.RunPageExitScript(*current);
  runner_.SetStopFlag(true);
  scriptsStopped_ = true;
  requested_ = {std::move(windowsPath), false, std::move(page)};
  host.Loop().SetTimer(window_timer::kOpenProject, kProjectRequestDelayMs);
}

void PageNavigator::RequestHostProject(std::string hostPath) {
  handedOver_ = {std::move(hostPath), true, {}};
  runner_.Host().Loop().SetTimer(window_timer::kOpenProject, kProjectRequestDelayMs);
}

const ProjectRequest& PageNavigator::PendingProject() const {
  return handedOver_.path.empty() ? requested_ : handedOver_;
}

ProjectRequest PageNavigator::TakeProjectRequest() {
  ProjectRequest request = PendingProject();
  if (scriptsStopped_)
    runner_.SetStopFlag(false);
  scriptsStopped_ = false;
  handedOver_ = {};
  requested_ = {};
  return request;
}

}  // namespace qlm
