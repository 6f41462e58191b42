#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "document/ObjectRecord.h"
#include "document/PageRecord.h"

namespace qlm {

class GridCells;
class ImageView;

// What the object commands ask of the window when they change objects: run-time state that
// follows the object list, and child windows that follow their objects.
class ObjectHost {
 public:
  virtual ~ObjectHost() = default;

  // Changes the object list of a page. `edit` changes the list and returns, for each object of
  // the new list, the index it had before (kNewObject for one it added), so that the window
  // keeps the run-time state (offset, highlight, hover) of every object that stayed.
  static constexpr size_t kNewObject = SIZE_MAX;
  using ObjectListEdit = std::function<std::vector<size_t>(std::vector<ObjectRecord>&)>;
  virtual void EditObjectList(PageRecord& page, const ObjectListEdit& edit) { edit(page.objects); }
  // Adds one object after the last; every object before it keeps its place and state. Costs
  // amortised constant time, so a script creating thousands of objects stays linear.
  virtual void AppendObject(PageRecord& page, ObjectRecord object) {
    page.objects.push_back(std::move(object));
  }

  // A script moved or resized an object (or changed its drawing order): objects that own a
  // child window move it along.
  virtual void ObjectMoved(PageRecord& /*page*/, ObjectRecord& /*object*/, bool /*resized*/) {}
  // A script replaced an object's text: an edit box shows it in its window.
  virtual void ObjectTextChanged(PageRecord& /*page*/, ObjectRecord& /*object*/) {}
  // LoadText gave an input field a text: it also goes into the field's bound variable.
  virtual void FieldTextLoaded(ObjectRecord& /*field*/) {}
  // A script changed the look of an object (colours, font, border).
  virtual void ObjectStyleChanged(PageRecord& /*page*/, ObjectRecord& /*object*/) {}
  // Show of an edit-box object that owns a child window and was hidden before.
  virtual void FocusObject(PageRecord& /*page*/, ObjectRecord& /*object*/) {}
  // The cell matrix of a grid object (kind 19), all cells 0 the first time it is asked for;
  // null for other objects and where no grids are drawn.
  virtual GridCells* GridCellsOf(ObjectRecord& /*object*/) { return nullptr; }
  // The run-time view of an image object (kind 3), made showing the stored picture the first
  // time it is asked for; null for other objects and where no views are drawn.
  virtual ImageView* ImageViewOf(ObjectRecord& /*object*/) { return nullptr; }
  // The full-screen background behind the window changed (colour, image or placement).
  virtual void BackdropChanged() {}
};

}  // namespace qlm
