#pragma once

#include <string>

namespace qlm {

class VariableStore;

// A page object whose name equals a system variable's name: it shows the variable's text each
// time the variable is published.
class BoundTextObject {
 public:
  virtual ~BoundTextObject() = default;
  virtual void SetText(const std::string& text) = 0;
  // Invalidates the object's rectangle so the next paint shows the new text.
  virtual void RepaintRect() = 0;
};

// Finds bound objects by exact name on the current page, the Master Page and the Master Layer.
class BoundTextObjectFinder {
 public:
  virtual ~BoundTextObjectFinder() = default;
  virtual BoundTextObject* FindBoundObject(const std::string& name) = 0;
};

// Stores a system variable in the live store, then shows boundText in the object of the same
// name, if there is one, and repaints it. objects may be null (nothing is shown).
void PublishSystemVariable(VariableStore& variables, BoundTextObjectFinder* objects,
                           const std::string& name, double number, const std::string& boundText);
void PublishSystemVariable(VariableStore& variables, BoundTextObjectFinder* objects,
                           const std::string& name, const std::string& text,
                           const std::string& boundText);

// Publishes what a page shows once it became current: CBK_PageName (the page's name, empty
// when there is none), CBK_Error (its number again, so a bound object shows it) and
// CBK_AppFileName.
void PublishPageVariables(VariableStore& variables, BoundTextObjectFinder* objects,
                          const std::string& pageName, const std::string& appFileName);

}  // namespace qlm
