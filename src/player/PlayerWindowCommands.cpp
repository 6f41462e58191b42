// What the object commands of scripts ask of the player window, and the files they read.
#include <numeric>
#include <optional>
#include <string>

#include "platform/Display.h"
#include "platform/FileSystem.h"
#include "player/PlayerWindow.h"

namespace qlm {
namespace {

// Files scripts load as text or pictures; larger ones are refused rather than read whole.
constexpr uintmax_t kMaxFileBytes = 256u << 20;

}  // namespace

// Run-time state is kept by object address and hover marks by list position: both follow the
// objects through the edit, and whatever was removed is forgotten.
void PlayerWindow::EditObjectList(PageRecord& page, const ObjectListEdit& edit) {
  std::vector<std::optional<ObjectRunState>> before;
  std::vector<const ObjectRecord*> records;
  before.reserve(page.objects.size());
  for (const ObjectRecord& object : page.objects) {
    records.push_back(&object);
    const ObjectRunState* state = objectStates_.Find(object);
    before.push_back(state ? std::optional(*state) : std::nullopt);
  }
  const std::vector<size_t> from = edit(page.objects);
  objectStates_.LayoutChanged();
  plugins_.Rebind(records, page.objects, from);
  browsers_->Rebind(records, page.objects, from);
  programs_->Rebind(records, page.objects, from);

  auto newIndexOf = [&](std::optional<size_t> old) -> std::optional<size_t> {
    if (!old)
      return std::nullopt;
    for (size_t j = 0; j < from.size(); ++j) {
      if (from[j] == *old)
        return j;
    }
    return std::nullopt;
  };
  for (size_t j = 0; j < page.objects.size(); ++j) {
    const bool kept = j < from.size() && from[j] < before.size() && before[from[j]];
    objectStates_.Of(page.objects[j]) = kept ? *before[from[j]] : ObjectRunState{};
  }
  if (PageRuntime* runtime = pages_.Runtime(page)) {
    runtime->hoveredObject = newIndexOf(runtime->hoveredObject);
    runtime->mouseOverTarget = newIndexOf(runtime->mouseOverTarget);
  }
  input_.FollowObjectList(page, newIndexOf);
}

void PlayerWindow::AppendObject(PageRecord& page, ObjectRecord object) {
  if (page.objects.size() == page.objects.capacity()) {
    // Growing the list moves every object: the general edit carries their state along. The
    // list grows geometrically, so this happens only a logarithmic number of times.
    EditObjectList(page, [&object](std::vector<ObjectRecord>& objects) {
      std::vector<size_t> from(objects.size());
      std::iota(from.begin(), from.end(), size_t{0});
      objects.push_back(std::move(object));
      from.push_back(kNewObject);
      return from;
    });
    return;
  }
  page.objects.push_back(std::move(object));
  // The address may have held an object removed earlier: the new one starts afresh.
  objectStates_.Of(page.objects.back()) = ObjectRunState{};
  objectStates_.LayoutChanged();
}

// The painter's index of where objects lie is made again for moved, resized, reordered or
// restyled objects.
void PlayerWindow::ObjectMoved(PageRecord& /*page*/, ObjectRecord& /*object*/, bool /*resized*/) {
  objectStates_.LayoutChanged();
}

void PlayerWindow::ObjectStyleChanged(PageRecord& /*page*/, ObjectRecord& /*object*/) {
  objectStates_.LayoutChanged();
}

GridCells* PlayerWindow::GridCellsOf(ObjectRecord& object) {
  if (object.typeCode != kObjGrid)
    return nullptr;
  ObjectRunState& state = objectStates_.Of(object);
  if (!state.gridCells)
    state.gridCells.emplace();
  return &*state.gridCells;
}

ImageView* PlayerWindow::ImageViewOf(ObjectRecord& object) {
  if (object.typeCode != kObjImage)
    return nullptr;
  ObjectRunState& state = objectStates_.Of(object);
  if (!state.imageView)
    state.imageView.emplace();
  return &*state.imageView;
}

std::string PlayerWindow::ExpandPathMacros(const std::string& text) {
  return macros_.Expand(text);
}

std::optional<std::string> PlayerWindow::ReadFile(const std::string& windowsPath) {
  std::optional<std::string> bytes = ctx_.files.ReadFile(windowsPath, kMaxFileBytes + 1);
  if (bytes && bytes->size() > kMaxFileBytes)
    return std::nullopt;
  return bytes;
}

}  // namespace qlm
