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
// their pop-up menu, and paragraphs and list boxes that scroll.
class ObjectControls : public ControlInput {
 public:
  ObjectControls(CPageManager& pages, ObjectStates& states, ObjectPainter& painter,
                 Display& display, VariableStore& variables, const CodePage& codePage,
                 ObjectScrolling::ListBoxOf listBoxOf, std::function<void(const IntRect&)> repaint);

  InputFields& Fields() { return fields_; }
  ObjectScrolling& Scrolling() { return scrolling_; }

  // ControlInput.
  bool MenuMouse(const MouseEvent& event) override { return fields_.MenuMouse(event); }
  void LeftDown(const ObjectHit& hit, const MouseEvent& event) override;
  bool LeftDrag(int x, int y) override;
  void LeftUp() override;
  bool RightDown(int x, int y) override;
  void Wheel(int x, int y, int notches) override { scrolling_.Wheel(x, y, notches); }
  bool Key(const KeyEvent& event) override { return fields_.Key(event); }
  void Forget() override;
  void FollowObjectList(const PageRecord& page,
                        const std::function<std::optional<size_t>(size_t)>& newIndexOf) override {
    fields_.FollowObjectList(page, newIndexOf);
  }

 private:
  Display& display_;
  DisplayClipboard clipboard_;
  InputFields fields_;
  ObjectScrolling scrolling_;
};

}  // namespace qlm
