#include "expr/SystemVariables.h"

#include "expr/NumberText.h"
#include "expr/VariableStore.h"

namespace qlm {
namespace {

void ShowBound(BoundTextObjectFinder* objects, const std::string& name, const std::string& text) {
  if (!objects)
    return;
  if (BoundTextObject* object = objects->FindBoundObject(name)) {
    object->SetText(text);
    object->RepaintRect();
  }
}

}  // namespace

void PublishSystemVariable(VariableStore& variables, BoundTextObjectFinder* objects,
                           const std::string& name, double number, const std::string& boundText) {
  variables.SetNumber(name, number);
  ShowBound(objects, name, boundText);
}

void PublishSystemVariable(VariableStore& variables, BoundTextObjectFinder* objects,
                           const std::string& name, const std::string& text,
                           const std::string& boundText) {
  variables.SetText(name, text);
  ShowBound(objects, name, boundText);
}

void PublishPageVariables(VariableStore& variables, BoundTextObjectFinder* objects,
                          const std::string& pageName, const std::string& appFileName) {
  PublishSystemVariable(variables, objects, "CBK_PageName", pageName, pageName);
  double error = 0;
  variables.GetNumber("CBK_Error", error);
  PublishSystemVariable(variables, objects, "CBK_Error", error,
                        std::to_string(TruncateToInt32(error)));
  PublishSystemVariable(variables, objects, "CBK_AppFileName", appFileName, appFileName);
}

}  // namespace qlm
