#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "document/PageManager.h"
#include "player/ObjectStates.h"

namespace qlm {

// An object found under the mouse, with the page that holds it.
struct ObjectHit {
  PageRecord* page = nullptr;
  ObjectRecord* object = nullptr;
  size_t index = 0;
  explicit operator bool() const { return object != nullptr; }
};

// The pages that take mouse input, in the order they are asked: the Master Layer, the current
// page and the Master Page. Without a current page nothing is shown and none is asked; the
// masters are asked once even when one of them is the current page.
std::array<PageRecord*, 3> InputLayers(CPageManager& pages);
// The objects of kind `kind` on those layers.
std::vector<ObjectRecord*> ShownObjectsOfKind(CPageManager& pages, int32_t kind);

// The topmost object of the page under (x, y): the last one in drawing order whose rectangle,
// moved by its offset, holds the point. Hidden objects are passed over.
std::optional<size_t> HitTestPage(const PageRecord& page, int x, int y, const ObjectStates& states);

// The first object found by asking the input layers in order.
ObjectHit HitTestLayers(CPageManager& pages, int x, int y, const ObjectStates& states);

// The page of the manager that holds this very object, or null.
PageRecord* PageOfObject(CPageManager& pages, const ObjectRecord& object);

}  // namespace qlm
