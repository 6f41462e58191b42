#include "player/PageInput.h"

#include <cctype>

#include "player/HitTest.h"

namespace qlm {

bool HasPressedLook(int32_t kind) {
  return kind == kObjText || kind == kObjButton || kind == kObjTextButton;
}

std::string TrimText(const std::string& text) {
  const char* space = " \t\r\n";
  const size_t first = text.find_first_not_of(space);
  if (first == std::string::npos)
    return {};
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

void PageInput::RepaintObject(const ObjectRecord& object, int grow) {
  host_.Repaint(states_.RectOf(object).Inflate(grow));
}

void PageInput::Press(PageRecord& page, size_t index) {
  // The page's pressed and hover marks go; the pressed object takes the pressed look.
  for (ObjectRecord& o : page.objects) {
    if (states_.HighlightOf(o) != Highlight::Normal) {
      states_.SetHighlight(o, Highlight::Normal);
      RepaintObject(o, 2);
    }
  }
  ObjectRecord& object = page.objects[index];
  states_.SetHighlight(object, Highlight::Pressed);
  RepaintObject(object, HasPressedLook(object.typeCode) ? 2 : 1);
  // Copies: a target's effect may not outlive the object's strings.
  const std::string first = PressTargetName(object, PressTarget::kFirst);
  const std::string second = PressTargetName(object, PressTarget::kSecond);
  const uint32_t firstCode = PressTargetEffect(object, PressTarget::kFirst);
  const uint32_t secondCode = PressTargetEffect(object, PressTarget::kSecond);
  // Effect 9 of the first target hides at once only when a second target is named.
  ApplyTarget(first, firstCode, !second.empty());
  ApplyTarget(second, secondCode, false);
}

void PageInput::ApplyTarget(const std::string& name, uint32_t code, bool hideAtOnceAllowed) {
  if (name.empty())
    return;
  ObjectRecord* target = pages_.FindObjectByQualifiedName(name);
  if (!target)
    return;
  auto remember = [&] {
    if (PageRecord* page = PageOfObject(pages_, *target))
      pendingHides_.push_back({page, target->name});
  };
  switch (code) {
    case 0:  // shown while the mouse is held
      SetHidden(*target, false);
      remember();
      break;
    case 8:
      SetHidden(*target, false);
      break;
    case 10:
      SetHidden(*target, !IsHidden(*target));
      break;
    case 9:
      if (hideAtOnceAllowed)
        SetHidden(*target, true);
      else
        remember();
      break;
    case 1:
      host_.VideoAction(*target, video_action::kPlay, 0);
      break;
    case 2:
      host_.VideoAction(*target, video_action::kStop, 0);
      break;
    case 3:
      host_.VideoAction(*target, video_action::kPause, 0);
      break;
    case 4:
    case 5:
      host_.VideoAction(*target, video_action::kPressFullScreen, code == 4 ? 1 : 0);
      break;
    case 6:
    case 7: {
      const double rate = host_.VideoAction(*target, video_action::kGetRate, 0);
      host_.VideoAction(*target, video_action::kSetRate, code == 6 ? rate * 2 : rate / 2);
      break;
    }
    default:
      return;
  }
  RepaintObject(*target, 2);
}

void PageInput::Release() {
  std::vector<PendingHide> hides;
  hides.swap(pendingHides_);
  for (const PendingHide& h : hides) {
    // Looked up again: the press script may have removed the object meanwhile.
    if (ObjectRecord* target = CPageManager::FindObjectOnPage(*h.page, h.name)) {
      SetHidden(*target, true);
      RepaintObject(*target, 2);
    }
  }
}

ClickResult PageInput::Click(ObjectRecord& object, bool allowExit) {
  ClickResult result;
  result.object = &object;
  states_.SetHighlight(object, Highlight::Hover);
  RepaintObject(object, HasPressedLook(object.typeCode) ? 2 : 1);
  const uint32_t code = ClickAction(object);
  result.action = code;
  result.target = ClickTarget(object);
  if (code == 6) {
    if (!allowExit) {
      host_.ShowMessage(kUnableToExit);
      result.refused = true;
    }
    return result;
  }
  if (code == 5) {
    SetClickParameters(object, TrimText(ClickParameters(object)));
    const std::string& params = ClickParameters(object);
    std::string head = params.substr(0, 10);
    for (char& c : head)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (head == "NEW_WINDOW" && (params.size() == 10 || params[10] == ',')) {
      // Another player process opens the document; this one goes on.
      host_.Launch(ClickTarget(object), params.size() > 10 ? params.substr(11) : std::string());
      result.action = 0;
    }
    return result;
  }
  if (code >= 1 && code <= 4)
    host_.Launch(ClickTarget(object), ClickParameters(object));
  return result;
}

}  // namespace qlm
