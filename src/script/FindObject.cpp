#include "script/FindObject.h"

#include <cmath>

#include "document/PageManager.h"
#include "expr/NumberText.h"
#include "expr/VariableStore.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

bool IsMasterPageName(std::string_view part) {
  return part == CPageManager::kMasterPageName || part == "Master Page" ||
         AsciiLower(part) == "master page";
}

bool IsMasterLayerName(std::string_view part) {
  return part == CPageManager::kMasterLayerName || part == "Master Layer" ||
         AsciiLower(part) == "master layer";
}

ObjectTarget Lookup(PageRecord* page, std::string_view name) {
  if (!page)
    return {};
  ObjectRecord* object = CPageManager::FindObjectOnPage(*page, name);
  return object ? ObjectTarget{object, page} : ObjectTarget{};
}

}  // namespace

std::string ResolveObjectIndex(const VariableStore& variables, const std::string& name) {
  const size_t open = name.find('[');
  if (open == std::string::npos)
    return name;
  const size_t close = name.rfind(']');
  if (close == std::string::npos || close < open)
    return name;
  const std::string inner = name.substr(open + 1, close - open - 1);
  double value = 0;
  if (!variables.GetNumber(inner, value))
    value = ParseDecimal(inner);
  return name.substr(0, open) + std::to_string(TruncateIndex(value));
}

ObjectTarget FindObject(CPageManager& pages, const VariableStore& variables,
                        const std::string& argument, bool resolveIndex) {
  const std::string name = resolveIndex ? ResolveObjectIndex(variables, argument) : argument;
  static constexpr std::string_view kLayerPrefix = "Master Layer::";
  static constexpr std::string_view kPagePrefix = "Master Page::";
  if (size_t at = name.find(kLayerPrefix); at != std::string::npos) {
    return Lookup(&pages.MasterLayer(), std::string_view(name).substr(at + kLayerPrefix.size()));
  }
  if (size_t at = name.find(kPagePrefix); at != std::string::npos) {
    return Lookup(&pages.MasterPage(), std::string_view(name).substr(at + kPagePrefix.size()));
  }
  if (name.find("CBK_") != std::string::npos) {
    for (PageRecord* page : {&pages.MasterLayer(), &pages.MasterPage(), pages.CurrentPage()}) {
      if (ObjectTarget found = Lookup(page, name); found.object)
        return found;
    }
    return {};
  }
  if (size_t at = name.find("::"); at != std::string::npos && at > 0) {
    PageRecord* page = pages.FindPageIgnoreCase(std::string_view(name).substr(0, at));
    return Lookup(page, std::string_view(name).substr(at + 2));
  }
  return Lookup(pages.CurrentPage(), name);
}

PageRecord* FindPrefixPage(CPageManager& pages, const std::string& name) {
  const size_t at = name.find("::");
  if (at == std::string::npos || at == 0)
    return nullptr;
  const std::string_view part = std::string_view(name).substr(0, at);
  if (PageRecord* page = pages.FindPageIgnoreCase(part))
    return page;
  if (IsMasterPageName(part))
    return &pages.MasterPage();
  if (IsMasterLayerName(part))
    return &pages.MasterLayer();
  return nullptr;
}

}  // namespace qlm
