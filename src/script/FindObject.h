#pragma once

#include <string>

namespace qlm {

class CPageManager;
class VariableStore;
struct ObjectRecord;
struct PageRecord;

// The page and object a command argument names.
struct ObjectTarget {
  ObjectRecord* object = nullptr;
  PageRecord* page = nullptr;  // the page the object was found on
};

// Name[i] with i a numeric variable (or a number) becomes Name3 for i = 3: the text before the
// first "[" followed by the integer part of what stands between it and the last "]".
std::string ResolveObjectIndex(const VariableStore& variables, const std::string& name);

// The object a command argument names: "Master Layer::Name" and "Master Page::Name" on the
// masters, names containing "CBK_" on the Master Layer, the Master Page or the current page
// (first hit), "Page::Name" on the page of that name (any case), anything else on the
// current page. With resolveIndex, Name[i] is resolved first.
ObjectTarget FindObject(CPageManager& pages, const VariableStore& variables,
                        const std::string& name, bool resolveIndex = true);

// The page a "Page::" prefix at an index above 0 names (list pages without regard to case,
// then the Master Page and Master Layer by their names), or null.
PageRecord* FindPrefixPage(CPageManager& pages, const std::string& name);

}  // namespace qlm
