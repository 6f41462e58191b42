#include "document/PageManager.h"

#include <utility>

#include "document/DeferredPage.h"
#include "document/WindowRegion.h"
#include "platform/AsciiText.h"

namespace qlm {

CPageManager::CPageManager() = default;

CPageManager::CPageManager(Project project) {
  SetProject(std::move(project));
}

void CPageManager::SetProject(Project project) {
  project_ = std::move(project);
  project_.masterPage.name = kMasterPageName;
  project_.masterLayer.name = kMasterLayerName;
  current_ = project_.pages.empty() ? std::nullopt : std::optional<size_t>(0);
  previousPageName_.clear();
  objectsPrepared_ = false;
  runtime_.assign(project_.pages.size(), PageRuntime{});
  masterPageRuntime_ = {};
  masterLayerRuntime_ = {};
  // The current page and the first page (whose background others may use) are always read.
  if (current_)
    ReadPage(0);
}

PageRecord& CPageManager::ReadPage(size_t index) {
  PageRecord& page = project_.pages.at(index);
  if (page.deferred) {
    ReadDeferredPage(page, dialogs_);
    if (owner_)
      owner_->PageRead(page);
  }
  return page;
}

PageRecord* CPageManager::CurrentPage() {
  return current_ ? &project_.pages[*current_] : nullptr;
}

const PageRecord* CPageManager::CurrentPage() const {
  return current_ ? &project_.pages[*current_] : nullptr;
}

bool CPageManager::GoToPage(int direction) {
  if (PageRecord* page = CurrentPage(); page && owner_)
    owner_->StopPageMedia(*page);
  const size_t count = project_.pages.size();
  std::optional<size_t> target;
  if (count > 0) {
    switch (direction) {
      case kFirst:
        target = 0;
        break;
      case kLast:
        target = count - 1;
        break;
      case kPrevious:
        if (current_ && *current_ > 0)
          target = *current_ - 1;
        break;
      case kNext:
        if (current_ && *current_ + 1 < count)
          target = *current_ + 1;
        break;
      default:
        break;
    }
  }
  return LeaveFor(target);
}

bool CPageManager::GoToPageByName(const std::string& name, bool ignoreCase) {
  if (PageRecord* page = CurrentPage(); page && owner_)
    owner_->StopPageMedia(*page);
  std::string wanted = name == kLastPage ? previousPageName_ : name;
  if (ignoreCase)
    wanted = AsciiLower(wanted);
  std::optional<size_t> target;
  for (size_t i = 0; i < project_.pages.size(); ++i) {
    const std::string& pageName = project_.pages[i].name;
    if (ignoreCase ? AsciiLower(pageName) == wanted : pageName == wanted) {
      target = i;
      break;
    }
  }
  return LeaveFor(target);
}

bool CPageManager::LeaveFor(std::optional<size_t> target) {
  if (!target)
    return false;
  if (current_ && *target != *current_ && owner_) {
    owner_->ReleasePageBackground(project_.pages[*current_]);
  }
  if (current_)
    previousPageName_ = project_.pages[*current_].name;
  if (current_ && *target == *current_)
    return false;
  if (current_ && owner_) {
    PageRecord& leaving = project_.pages[*current_];
    leaving.exitScript.ownerName = leaving.name;
    owner_->RunPageExitScript(leaving);
  }
  // The exit script may have replaced the project; a target that is gone is not taken.
  if (*target >= project_.pages.size())
    return false;
  ReadPage(*target);
  current_ = target;
  return true;
}

std::optional<size_t> CPageManager::FindPageNode(const PageRecord* page) const {
  for (size_t i = 0; i < project_.pages.size(); ++i) {
    if (&project_.pages[i] == page)
      return i;
  }
  return std::nullopt;
}

PageRecord* CPageManager::FindPageIgnoreCase(std::string_view name) {
  for (size_t i = 0; i < project_.pages.size(); ++i) {
    if (EqualsIgnoreAsciiCase(project_.pages[i].name, name))
      return &ReadPage(i);
  }
  return nullptr;
}

ObjectRecord* CPageManager::FindObjectOnPage(PageRecord& page, std::string_view name) {
  for (ObjectRecord& object : page.objects) {
    if (object.name == name)
      return &object;
  }
  return nullptr;
}

ObjectRecord* CPageManager::FindObjectByQualifiedName(std::string_view text) {
  std::string_view pagePart;
  std::string_view objectPart = text;
  const size_t sep = text.find("::");
  if (sep != std::string_view::npos) {
    pagePart = text.substr(0, sep);
    objectPart = text.substr(sep + 2);
  } else if (const PageRecord* current = CurrentPage()) {
    pagePart = current->name;
  } else {
    return nullptr;
  }
  project_.masterPage.name = kMasterPageName;
  project_.masterLayer.name = kMasterLayerName;
  const std::string lower = AsciiLower(pagePart);
  PageRecord* page = nullptr;
  if (pagePart == kMasterPageName || pagePart == "Master Page" || lower == "master page") {
    page = &project_.masterPage;
  } else if (pagePart == kMasterLayerName || pagePart == "Master Layer" ||
             lower == "master layer") {
    page = &project_.masterLayer;
  } else {
    for (size_t i = 0; i < project_.pages.size(); ++i) {
      if (AsciiLower(project_.pages[i].name) == lower) {
        page = &ReadPage(i);
        break;
      }
    }
  }
  return page ? FindObjectOnPage(*page, objectPart) : nullptr;
}

PageComposition CPageManager::Compose(bool drawMasters, bool skipBackground) const {
  PageComposition out;
  const PageRecord* current = CurrentPage();
  if (!skipBackground) {
    const PageRecord* background = current;
    const PageRecord* alternative = project_.pages.empty() ? nullptr : &project_.pages.front();
    if (current && current->useMasterBackground) {
      background = &project_.masterPage;
      alternative = nullptr;
    }
    if (background && background->useFirstPageBackground && alternative &&
        alternative != background) {
      background = alternative;
    }
    out.background = background;
  }
  const bool masters =
      drawMasters && current != &project_.masterPage && current != &project_.masterLayer;
  if (masters)
    out.objectLayers.push_back(&project_.masterPage);
  if (current)
    out.objectLayers.push_back(current);
  if (masters)
    out.objectLayers.push_back(&project_.masterLayer);
  return out;
}

void CPageManager::StopPages() {
  auto stop = [](PageRecord& page) {
    page.stateValue = 0;
    page.stateText.clear();
  };
  if (PageRecord* page = CurrentPage())
    stop(*page);
  stop(project_.masterPage);
  stop(project_.masterLayer);
}

void CPageManager::ShowCurrentPage() {
  if (!objectsPrepared_) {
    if (owner_)
      owner_->PrepareMasterObjects(project_.masterPage, project_.masterLayer);
    objectsPrepared_ = true;
  }
  if (owner_)
    owner_->DeletePendingTransient();
  PageRecord* current = CurrentPage();
  if (current && owner_)
    owner_->StartPage(*current);
}

PageRuntime* CPageManager::Runtime(const PageRecord& page) {
  if (&page == &project_.masterPage)
    return &masterPageRuntime_;
  if (&page == &project_.masterLayer)
    return &masterLayerRuntime_;
  runtime_.resize(project_.pages.size());
  const std::optional<size_t> index = FindPageNode(&page);
  return index ? &runtime_[*index] : nullptr;
}

std::optional<std::vector<IntRect>> CPageManager::BuildWindowRegion() const {
  if (project_.maskWidth >= 1 && project_.maskHeight >= 1 && !project_.mask.empty()) {
    return RegionFromMask(project_.mask, project_.maskWidth, project_.maskHeight);
  }
  if (!project_.shapePolygon.empty())
    return RegionFromPolygon(project_.shapePolygon);
  return std::nullopt;
}

}  // namespace qlm
