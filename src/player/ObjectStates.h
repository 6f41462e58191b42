#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>

#include "document/ObjectFields.h"
#include "document/ObjectRecord.h"
#include "graphics/Geometry.h"
#include "player/GifPlayback.h"
#include "player/PageIndexes.h"
#include "player/PaintRuntime.h"
#include "script/GridCells.h"
#include "script/ImageView.h"
#include "script/ListBoxControl.h"

namespace qlm {

// What an object is at run time beyond its record: where it was moved to and how it is lit.
struct ObjectRunState {
  int32_t offsetX = 0;  // added to the rectangle when drawn or hit; set through SetOffset
  int32_t offsetY = 0;
  Highlight highlight = Highlight::Normal;
  // Image objects that play and may be dragged with the mouse.
  bool playing = false;
  bool draggable = false;
  // List boxes: the list control, made from the stored strings when first needed.
  std::optional<ListBoxControl> listBox;
  // Grids: the cell matrix scripts fill, made when first needed.
  std::optional<GridCells> gridCells;
  // Image objects: the view the image-view commands change, made when first needed.
  std::optional<ImageView> imageView;
  // Paragraphs scrolled by a drag or the wheel: the scroll position in pixels.
  std::optional<int32_t> scroll;
  // The input field that has the keyboard focus: its caret and selection.
  std::optional<FieldView> field;
  // Animated GIFs: made when first drawn or shown (shared by copies of this state).
  std::shared_ptr<GifPlayback> gif;
};

// Run-time state of the objects of the loaded project, by object. An object without an entry
// is in its load state. The table is cleared whenever the project is replaced.
class ObjectStates {
 public:
  ObjectRunState& Of(const ObjectRecord& object) { return states_[&object]; }
  const ObjectRunState* Find(const ObjectRecord& object) const;

  Highlight HighlightOf(const ObjectRecord& object) const;
  // True when the state changed.
  bool SetHighlight(const ObjectRecord& object, Highlight highlight);

  // The rectangle moved by the offset, where the object is drawn and hit.
  IntRect RectOf(const ObjectRecord& object) const;
  // The paint state that places the object: its offset, nothing else.
  ObjectPaintState Placement(const ObjectRecord& object) const;
  // Draws and hits the object moved by (x, y) from its rectangle.
  void SetOffset(const ObjectRecord& object, int32_t x, int32_t y);
  // The objects of the page whose rectangle, moved by its offset, may hold the point, in
  // drawing order; null when every object must be asked.
  const std::vector<uint32_t>* ObjectsAt(const PageRecord& page, int32_t x, int32_t y) const;

  // Counts changes to where objects lie: offsets set here, the table cleared, and whatever the
  // window reports through LayoutChanged (objects added, removed, reordered, moved, resized).
  uint64_t LayoutRevision() const { return layoutRevision_; }
  void LayoutChanged() { ++layoutRevision_; }

  void Clear() {
    states_.clear();
    LayoutChanged();
  }

 private:
  std::unordered_map<const ObjectRecord*, ObjectRunState> states_;
  uint64_t layoutRevision_ = 0;
  mutable PageIndexes hitIndexes_;
};

}  // namespace qlm
