#pragma once

#include <functional>
#include <string>

#include "platform/Display.h"
#include "player/InputFields.h"
#include "player/ObjectScrolling.h"
#include "player/WindowInput.h"

namespace qlm {

// The clipboard of the machine, through the display.
class DisplayClipboard : public TextClipboard {
 public:
  explicit DisplayClipboard(Display& display) : display_(display) {}
  void SetText(const std::string& text) override { display_.SetClipboardText(text); }
  std::string Text() override { return display_.ClipboardText(); }

 private:
  Display& display_;
};

// The objects of the shown pages that handle mouse and keys themselves: input fields with
// their pop-up menu, and paragraphs and list boxes that scroll. A list box that was pressed has
// the keys: the arrows, Page Up and Down, Home and End move its selection, and typed letters
// go to the next row that begins with them (letters typed within a second make one prefix).
// While a field or a list box has the keys, Tab and Shift+Tab move them on to the next or
// previous field or list box in page order (the Master Page, the page, the Master Layer).
class ObjectControls : public ControlInput {
 public:
  // Letters typed within this time make one type-ahead prefix.
  static constexpr uint64_t kTypeAheadMs = 1000;

  ObjectControls(CPageManager& pages, ObjectStates& states, ObjectPainter& painter,
                 Display& display, EventLoop& loop, VariableStore& variables,
                 const CodePage& codePage, ObjectScrolling::ListBoxOf listBoxOf,
                 std::function<void(const IntRect&)> repaint);

  InputFields& Fields() { return fields_; }
  ObjectScrolling& Scrolling() { return scrolling_; }

  // ControlInput.
  bool MenuMouse(const MouseEvent& event) override { return fields_.MenuMouse(event); }
  void LeftDown(const ObjectHit& hit, const MouseEvent& event) override;
  bool LeftDrag(int x, int y) override;
  void LeftUp() override;
  bool RightDown(int x, int y) override;
  void Wheel(int x, int y, int notches) override { scrolling_.Wheel(x, y, notches); }
  bool Key(const KeyEvent& event) override;
  void Forget() override;
  void FollowObjectList(const PageRecord& page,
                        const std::function<std::optional<size_t>(size_t)>& newIndexOf) override;
  // A typed character: the focused field's, else type-ahead in the focused list box.
  void Char(uint8_t ch);

  // The list box that has the keys (null: none).
  ObjectRecord* FocusedList();

 private:
  bool ListKey(ObjectRecord& list, const KeyEvent& event);
  // The row becomes the selection, as a press on it makes it, and comes into view.
  void SelectRow(ObjectRecord& list, size_t row);
  // Tab: the keys go to the next (or previous) field or list box in page order.
  void MoveFocus(bool backwards);
  void FocusList(PageRecord& page, size_t index);

  CPageManager& pages_;
  ObjectStates& states_;
  ObjectPainter& painter_;
  Display& display_;
  EventLoop& loop_;
  ObjectScrolling::ListBoxOf listBoxOf_;
  std::function<void(const IntRect&)> repaint_;
  DisplayClipboard clipboard_;
  InputFields fields_;
  ObjectScrolling scrolling_;
  struct ListRef {
    PageRecord* page = nullptr;
    size_t index = 0;
    std::string name;
  } list_;
  std::string typed_;  // the type-ahead prefix, in the presentation's code page
  uint64_t typedAt_ = 0;
};

}  // namespace qlm
