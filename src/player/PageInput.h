#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/PageManager.h"
#include "graphics/Geometry.h"
#include "media/VideoObjects.h"
#include "player/ObjectStates.h"

namespace qlm {

// What the press and click steps need from the window.
class PageInputHost {
 public:
  virtual ~PageInputHost() = default;
  virtual void Repaint(const IntRect& rect) = 0;
  // A video action on an object; returns what the action reads (the playback rate).
  virtual double VideoAction(ObjectRecord& /*target*/, int /*action*/, double /*value*/) {
    return 0;
  }
  // "Unable to exit" and the like.
  virtual void ShowMessage(const std::string& text) = 0;
  // Starts a program or document as the Run command does and reports the launch result
  // (CBK_ReturnVal).
  virtual void Launch(const std::string& program, const std::string& options) = 0;
};

// What a click on an object asks for. Action codes 5 and above are carried out by the window;
// codes 1 to 4 were launched by the click step already.
struct ClickResult {
  ObjectRecord* object = nullptr;
  uint32_t action = 0;
  std::string target;
  // The click was refused ("Unable to exit"): nothing else runs.
  bool refused = false;
};

// The press and click steps of pages: the pressed look, the press targets with their effect
// codes and the click action codes.
class PageInput {
 public:
  // Message of an exit action where exit is not allowed.
  static constexpr const char* kUnableToExit = "Unable to exit";

  PageInput(CPageManager& pages, ObjectStates& states, PageInputHost& host)
      : pages_(pages), states_(states), host_(host) {}

  // The press step for the object at `index` of `page`: the page's marks are cleared, the
  // object looks pressed and its press targets take effect.
  void Press(PageRecord& page, size_t index);

  // The release: targets shown only while the mouse was held are hidden again, wherever the
  // mouse is released.
  void Release();

  // The click step for an object released over while pressed.
  ClickResult Click(ObjectRecord& object, bool allowExit);

  // Forgets the targets of a press (the project is replaced).
  void Reset() { pendingHides_.clear(); }

 private:
  struct PendingHide {
    PageRecord* page;
    std::string name;
  };

  void ApplyTarget(const std::string& name, uint32_t code, bool hideAtOnceAllowed);
  void RepaintObject(const ObjectRecord& object, int grow);

  CPageManager& pages_;
  ObjectStates& states_;
  PageInputHost& host_;
  std::vector<PendingHide> pendingHides_;
};

// Kinds that show a pressed look (text, buttons, text buttons).
bool HasPressedLook(int32_t kind);

// Trims spaces, tabs, CR and LF at both ends.
std::string TrimText(const std::string& text);

}  // namespace qlm
