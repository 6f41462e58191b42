#include "player/InputFields.h"

#include <algorithm>
#include <cstdlib>

#include "expr/NumberText.h"
#include "graphics/SaturatingRect.h"
#include "platform/KeyNames.h"

namespace qlm {

void StoreFieldText(VariableStore& variables, const ObjectRecord& field) {
  std::string name(TrimBlanks(FieldVariable(field)));
  if (name.empty())
    name = field.name;
  if (name.empty())
    return;
  name = variables.NormalizeName(name);
  if (name.find('$') != std::string::npos)
    variables.SetText(name, field.text);
  else
    variables.SetNumber(name, ParseDecimal(field.text));
}

InputFields::InputFields(CPageManager& pages, ObjectStates& states, ObjectPainter& painter,
                         TextClipboard& clipboard, VariableStore& variables,
                         const CodePage& codePage, std::function<void(const IntRect&)> repaint)
    : pages_(pages),
      states_(states),
      painter_(painter),
      clipboard_(clipboard),
      variables_(variables),
      repaint_(std::move(repaint)),
      editor_(&codePage),
      menu_(painter.Fonts(), repaint_) {}

ObjectRecord* InputFields::Focused() {
  PageRecord* page = focus_.page;
  if (!page)
    return nullptr;
  // Scripts may have deleted or hidden the field since it took the focus.
  if (focus_.index >= page->objects.size() || page->objects[focus_.index].name != focus_.name ||
      IsHidden(page->objects[focus_.index])) {
    Blur();
    return nullptr;
  }
  return &page->objects[focus_.index];
}

void InputFields::Blur() {
  menu_.Close();
  selecting_ = false;
  composition_.clear();
  PageRecord* page = focus_.page;
  focus_ = {};
  if (!page)
    return;
  for (ObjectRecord& o : page->objects) {
    const ObjectRunState* s = states_.Find(o);
    if (s && s->field) {
      states_.Of(o).field.reset();
      repaint_(InflatedRect(states_.RectOf(o), 1));
    }
  }
}

void InputFields::Focus(ObjectRecord& field) {
  PageRecord* page = PageOfObject(pages_, field);
  if (!page || field.typeCode != kObjInputField)
    return;
  const size_t index = static_cast<size_t>(&field - page->objects.data());
  if (focus_.page != page || focus_.index != index || focus_.name != field.name) {
    Blur();
    focus_ = {page, index, field.name};
    Load(field);
  }
  Sync(field);
  Refresh(field);
}

void InputFields::Load(ObjectRecord& field) {
  editor_.SetText(field.text);
  // A text beyond what a field holds is cut in the record too, so the two stay one.
  if (editor_.Text().size() != field.text.size())
    field.text = editor_.Text();
}

void InputFields::Sync(ObjectRecord& field) {
  if (editor_.Text() != field.text)
    Load(field);
}

size_t InputFields::PositionAt(const ObjectRecord& field, int x) {
  const ObjectPainter::FieldLayout layout = painter_.LayoutInputField(field, states_.RectOf(field));
  const ObjectRunState* s = states_.Find(field);
  const int64_t want = int64_t{x} - layout.area.left + (s && s->field ? s->field->scrollX : 0);
  size_t best = 0;
  for (size_t i = 1; i < layout.x.size(); ++i) {
    if (std::llabs(layout.x[i] - want) < std::llabs(layout.x[best] - want))
      best = i;
  }
  return layout.starts[best];
}

void InputFields::Press(const ObjectHit& hit, int x, int y, bool doubleClick, bool shift) {
  (void)y;
  menu_.Close();
  if (!hit || hit.object->typeCode != kObjInputField) {
    Blur();
    return;
  }
  ObjectRecord& field = *hit.object;
  Focus(field);
  if (doubleClick) {
    editor_.SelectAll();
  } else {
    editor_.SetCaret(PositionAt(field, x), shift);
    selecting_ = true;
  }
  Refresh(field);
}

void InputFields::Drag(int x, int /*y*/) {
  ObjectRecord* field = selecting_ ? Focused() : nullptr;
  if (!field)
    return;
  Sync(*field);
  const size_t caret = editor_.Caret();
  editor_.SetCaret(PositionAt(*field, x), true);
  if (editor_.Caret() != caret)
    Refresh(*field);
}

bool InputFields::RightPress(int x, int y, int clientWidth, int clientHeight) {
  PageRecord* page = pages_.CurrentPage();
  if (!page)
    return false;
  const std::optional<size_t> index = HitTestPage(*page, x, y, states_);
  if (!index)
    return false;
  ObjectRecord& field = page->objects[*index];
  // An empty field has its menu too: Paste is what it is for.
  if (field.typeCode != kObjInputField ||
      !painter_.LayoutInputField(field, states_.RectOf(field)).area.Contains(x, y))
    return false;
  Focus(field);
  FieldMenu::Enabled enabled;
  enabled.copy = editor_.HasSelection() && !IsPasswordField(field);
  enabled.paste = !clipboard_.Text().empty();
  enabled.selectAll = editor_.SelectionEnd() - editor_.SelectionStart() < editor_.Text().size();
  menu_.Open(x, y, enabled, clientWidth, clientHeight);
  return true;
}

bool InputFields::MenuMouse(const MouseEvent& event) {
  if (!menu_.Visible())
    return false;
  if (const std::optional<FieldMenu::Command> command = menu_.OnMouse(event))
    Apply(*command);
  return true;
}

void InputFields::Apply(FieldMenu::Command command) {
  ObjectRecord* field = Focused();
  if (!field)
    return;
  Sync(*field);
  const bool password = IsPasswordField(*field);
  bool changed = false;
  switch (command) {
    case FieldMenu::Command::kCopy:
      editor_.Copy(clipboard_, password);
      break;
    case FieldMenu::Command::kCut:
      changed = editor_.Cut(clipboard_, password);
      break;
    case FieldMenu::Command::kPaste:
      changed = editor_.Paste(clipboard_);
      break;
    case FieldMenu::Command::kSelectAll:
      editor_.SelectAll();
      break;
  }
  if (changed)
    Store(*field);
  Refresh(*field);
}

bool InputFields::Key(const KeyEvent& event) {
  if (menu_.Visible()) {
    if (event.action == KeyAction::kDown) {
      if (const std::optional<FieldMenu::Command> command = menu_.OnKey(event.vk))
        Apply(*command);
    }
    return true;
  }
  ObjectRecord* field = Focused();
  if (!field || event.action != KeyAction::kDown)
    return false;
  Sync(*field);
  switch (editor_.OnKey(event.vk, event.modifiers, clipboard_, IsPasswordField(*field))) {
    case FieldEditor::KeyResult::kEdited:
      Store(*field);
      Refresh(*field);
      return true;
    case FieldEditor::KeyResult::kMoved:
      Refresh(*field);
      return true;
    case FieldEditor::KeyResult::kIgnored:
      return TypesCharacter(event.vk, event.modifiers.ctrl, event.modifiers.alt);
  }
  return false;
}

bool InputFields::Char(uint8_t ch) {
  if (menu_.Visible())
    return true;
  ObjectRecord* field = Focused();
  if (!field)
    return false;
  // The characters of Control+letter, Enter, Tab, Escape and Backspace come after their keys,
  // which did what they do: they are no text and leave the selection alone.
  if (ch < 0x20 || ch == 0x7F)
    return true;
  Sync(*field);
  // Typed text ends a composition.
  composition_.clear();
  const char typed = static_cast<char>(ch);
  if (editor_.Insert(std::string_view(&typed, 1))) {
    Store(*field);
    Refresh(*field);
  }
  return true;
}

void InputFields::Compose(const std::string& text) {
  ObjectRecord* field = Focused();
  const std::string utf8 = painter_.ToUtf8(text);
  if (!field || utf8 == composition_)
    return;
  composition_ = utf8;
  Refresh(*field);
}

void InputFields::Store(ObjectRecord& field) {
  field.text = editor_.Text();
  StoreFieldText(variables_, field);
  repaint_(InflatedRect(states_.RectOf(field), 1));
}

void InputFields::Refresh(ObjectRecord& field) {
  const IntRect rect = states_.RectOf(field);
  const ObjectPainter::FieldLayout layout = painter_.LayoutInputField(field, rect);
  ObjectRunState& s = states_.Of(field);
  FieldView view;
  view.caret = editor_.Caret();
  view.selectionStart = editor_.SelectionStart();
  view.selectionEnd = editor_.SelectionEnd();
  view.scrollX = s.field ? s.field->scrollX : 0;
  // The caret stays in view; a text that fits is not scrolled, and a scrolled text leaves no
  // room at its end.
  const auto at = std::lower_bound(layout.starts.begin(), layout.starts.end(), view.caret);
  const int caretX = layout.x[static_cast<size_t>(at - layout.starts.begin())];
  const int width = std::max(1, layout.area.Width());
  const int textWidth = layout.x.back() + 1;
  if (caretX - view.scrollX > width - 1)
    view.scrollX = caretX - width + 1;
  if (caretX < view.scrollX)
    view.scrollX = caretX;
  view.scrollX = std::clamp(view.scrollX, 0, std::max(0, textWidth - width));
  view.composition = composition_;
  if (caretListener_) {
    const int x = layout.area.left + caretX - view.scrollX;
    caretListener_({x, layout.top, x + 1, layout.top + layout.lineHeight});
  }
  if (s.field != view) {
    s.field = view;
    repaint_(InflatedRect(rect, 1));
  }
}

void InputFields::TextChanged(ObjectRecord& field) {
  if (Focused() != &field)
    return;
  Load(field);
  Refresh(field);
}

void InputFields::PageShown(PageRecord* page) {
  Blur();
  if (!page)
    return;
  for (const ObjectRecord& o : page->objects) {
    if (o.typeCode == kObjInputField)
      StoreFieldText(variables_, o);
  }
}

void InputFields::FollowObjectList(const PageRecord& page,
                                   const std::function<std::optional<size_t>(size_t)>& newIndexOf) {
  if (focus_.page != &page)
    return;
  if (const std::optional<size_t> index = newIndexOf(focus_.index))
    focus_.index = *index;
  else
    Blur();
}

void InputFields::Forget() {
  menu_.Close();
  composition_.clear();
  focus_ = {};
  selecting_ = false;
}

}  // namespace qlm
