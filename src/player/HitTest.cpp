#include "player/HitTest.h"

namespace qlm {

std::array<PageRecord*, 3> InputLayers(CPageManager& pages) {
  PageRecord* current = pages.CurrentPage();
  if (!current)
    return {};
  PageRecord* layer = &pages.MasterLayer();
  PageRecord* master = &pages.MasterPage();
  if (current == layer || current == master)
    return {layer, master, nullptr};
  return {layer, current, master};
}

std::vector<ObjectRecord*> ShownObjectsOfKind(CPageManager& pages, int32_t kind) {
  std::vector<ObjectRecord*> found;
  for (PageRecord* page : InputLayers(pages)) {
    if (!page)
      continue;
    for (ObjectRecord& object : page->objects) {
      if (object.typeCode == kind)
        found.push_back(&object);
    }
  }
  return found;
}

std::optional<size_t> HitTestPage(const PageRecord& page, int x, int y,
                                  const ObjectStates& states) {
  auto hits = [&](size_t i) {
    const ObjectRecord& object = page.objects[i];
    return !IsHidden(object) && states.RectOf(object).Contains(x, y);
  };
  if (const std::vector<uint32_t>* near = states.ObjectsAt(page, x, y)) {
    for (size_t k = near->size(); k-- > 0;) {
      if (hits((*near)[k]))
        return (*near)[k];
    }
    return std::nullopt;
  }
  for (size_t i = page.objects.size(); i-- > 0;) {
    if (hits(i))
      return i;
  }
  return std::nullopt;
}

ObjectHit HitTestLayers(CPageManager& pages, int x, int y, const ObjectStates& states) {
  for (PageRecord* page : InputLayers(pages)) {
    if (!page)
      continue;
    if (const std::optional<size_t> i = HitTestPage(*page, x, y, states))
      return {page, &page->objects[*i], *i};
  }
  return {};
}

PageRecord* PageOfObject(CPageManager& pages, const ObjectRecord& object) {
  auto holds = [&](PageRecord& page) {
    return !page.objects.empty() && &object >= page.objects.data() &&
           &object < page.objects.data() + page.objects.size();
  };
  if (holds(pages.MasterLayer()))
    return &pages.MasterLayer();
  if (holds(pages.MasterPage()))
    return &pages.MasterPage();
  for (PageRecord& page : pages.Pages()) {
    if (holds(page))
      return &page;
  }
  return nullptr;
}

}  // namespace qlm
