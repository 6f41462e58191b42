#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/Project.h"

namespace qlm {

class Dialogs;

// What the window does for the page manager while pages change. Every hook but the exit
// script has a do-nothing default, so a manager without a window still moves between pages.
class PageManagerOwner {
 public:
  virtual ~PageManagerOwner() = default;

  // First step of leaving a page: close its media devices, stop its per-page activity.
  virtual void StopPageMedia(PageRecord& /*page*/) {}
  // The page is left for another one: drop the drawing surface made from its image.
  virtual void ReleasePageBackground(PageRecord& /*page*/) {}
  // Runs the page's exit script; its ownerName is already the page name.
  virtual void RunPageExitScript(PageRecord& page) = 0;

  // Once per project, before the first page is shown: make the objects of the Master Page and
  // the Master Layer ready.
  virtual void PrepareMasterObjects(PageRecord& /*masterPage*/, PageRecord& /*masterLayer*/) {}
  // Deletes the pending transient object (a pop-up left by the page), if any.
  virtual void DeletePendingTransient() {}
  // The page becomes visible: its objects create their child windows and timers.
  virtual void StartPage(PageRecord& /*page*/) {}
  // A page kept unread since the document was opened has just been read.
  virtual void PageRead(PageRecord& /*page*/) {}
};

// Run-time state of a page that is not stored with it.
struct PageRuntime {
  bool captured = false;                  // a mouse button is held on the page
  std::optional<size_t> hoveredObject;    // index into the page's objects
  std::optional<size_t> mouseOverTarget;  // the object the hovered one has shown
};

// What to draw for one frame, bottom first. Drawing it is the renderer's job.
struct PageComposition {
  // The page whose background colour and image fill the page area; null when the background
  // is skipped or there is no page to take it from.
  const PageRecord* background = nullptr;
  // The pages whose objects are drawn, in drawing order.
  std::vector<const PageRecord*> objectLayers;
};

// Owns the pages of the loaded project at run time: the page list, the current page, the
// Master Page drawn beneath every page and the Master Layer drawn above it.
class CPageManager {
 public:
  static constexpr std::string_view kMasterPageName = "Master Page 000";
  static constexpr std::string_view kMasterLayerName = "Master Layer 000";
  static constexpr std::string_view kLastPage = "LASTPAGE";

  enum Direction { kFirst = 0, kLast = 1, kPrevious = 2, kNext = 3 };

  CPageManager();
  explicit CPageManager(Project project);

  // Replaces every page with those of `project`; the first page becomes current.
  void SetProject(Project project);
  Project& GetProject() { return project_; }
  const Project& GetProject() const { return project_; }

  // The window that runs exit scripts; null runs none.
  void SetOwner(PageManagerOwner* owner) { owner_ = owner; }
  // Where a page read when first needed reports its messages and damage; null: nowhere.
  void SetDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }

  // The list as it stands: pages not needed yet may still be unread (see PageRecord::deferred),
  // holding their name only. Everything that makes a page current or looks into it by name
  // reads it first.
  std::vector<PageRecord>& Pages() { return project_.pages; }
  const std::vector<PageRecord>& Pages() const { return project_.pages; }
  PageRecord& MasterPage() { return project_.masterPage; }
  PageRecord& MasterLayer() { return project_.masterLayer; }
  const PageRecord& MasterPage() const { return project_.masterPage; }
  const PageRecord& MasterLayer() const { return project_.masterLayer; }

  // The page at `index` of the list, read now if it was deferred.
  PageRecord& ReadPage(size_t index);

  PageRecord* CurrentPage();
  const PageRecord* CurrentPage() const;
  std::optional<size_t> CurrentIndex() const { return current_; }
  const std::string& PreviousPageName() const { return previousPageName_; }

  // Leaves the current page for the first, last, previous or next page. False when there is
  // no such page or it is the current one; the current page has stopped its media either way.
  bool GoToPage(int direction);
  // The first page of that name; "LASTPAGE" means the page shown before the current one.
  bool GoToPageByName(const std::string& name, bool ignoreCase);

  // The list position of a page of this manager, or nullopt (the masters are not in the list).
  std::optional<size_t> FindPageNode(const PageRecord* page) const;
  // The first page whose name equals `name` without regard to ASCII case.
  PageRecord* FindPageIgnoreCase(std::string_view name);

  // "Page::Object", or an object of the current page. Master Page and Master Layer are named
  // by "Master Page", "Master Page 000" or any capitalisation of "master page" (and the same
  // for the layer).
  ObjectRecord* FindObjectByQualifiedName(std::string_view text);
  // The first object of the page whose name equals `name` byte for byte.
  static ObjectRecord* FindObjectOnPage(PageRecord& page, std::string_view name);

  // Size every page is given before it is drawn.
  void SetPageArea(int width, int height) {
    pageWidth_ = width;
    pageHeight_ = height;
  }
  int PageWidth() const { return pageWidth_; }
  int PageHeight() const { return pageHeight_; }

  // The background page and the object layers of a frame.
  PageComposition Compose(bool drawMasters, bool skipBackground) const;

  // Clears the state value and text of the current page, the Master Page and the Master Layer.
  void StopPages();

  // Shows the current page: prepares the masters once and starts the page. Publishing the page
  // variables and the enter script are the caller's.
  void ShowCurrentPage();

  // The window shape as rectangles in client coordinates: from the mask when there is one,
  // else from the polygon; nullopt when the project has neither.
  std::optional<std::vector<IntRect>> BuildWindowRegion() const;

  // Run-time state of a page of this manager (list pages and the two masters); null for a
  // page it does not hold.
  PageRuntime* Runtime(const PageRecord& page);

 private:
  // Steps shared by both GoTo operations once the target is known (nullopt: none).
  bool LeaveFor(std::optional<size_t> target);

  Project project_;
  std::optional<size_t> current_;
  std::string previousPageName_;
  bool objectsPrepared_ = false;
  int pageWidth_ = 0;
  int pageHeight_ = 0;
  PageManagerOwner* owner_ = nullptr;
  Dialogs* dialogs_ = nullptr;
  std::vector<PageRuntime> runtime_;  // one per list page
  PageRuntime masterPageRuntime_;
  PageRuntime masterLayerRuntime_;
};

}  // namespace qlm
