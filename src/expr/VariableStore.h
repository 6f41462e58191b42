#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "expr/VariableRecord.h"

namespace qlm {

// The ordered table of named values shared by scripts, commands and system variables.
// Records are appended and never removed or reordered; a lookup takes the first record whose
// name matches byte for byte.
class VariableStore {
 public:
  VariableStore() = default;
  VariableStore(const VariableStore&) = delete;
  VariableStore& operator=(const VariableStore&) = delete;

  // Lookups go through a name index unless it is switched off, which benchmarks do to measure
  // the plain scan. Both give the same answers.
  void UseNameIndex(bool use);

  // Replace the number of an existing record (its text stays) or append (name, value, "").
  // Returns whether the variable existed. The name is used exactly as given.
  bool SetNumber(const std::string& name, double value);
  // Replace the text of an existing record (its number stays) or append (name, TextMarker,
  // text). Returns whether the variable existed.
  bool SetText(const std::string& name, const std::string& text);

  // Lookups through NormalizeName. GetNumber leaves value untouched when nothing is found;
  // GetText empties text.
  bool GetNumber(const std::string& name, double& value) const;
  bool GetText(const std::string& name, std::string& text) const;

  // The canonical element name: a[i] -> a[3], t$[n] -> t$[0], t[2]$ -> t$[2].
  std::string NormalizeName(const std::string& name) const;

  // The first record with exactly this name, or null.
  const VariableRecord* Find(std::string_view name) const;
  // The same record, to change its value in place.
  VariableRecord* FindMutable(std::string_view name);
  // The first record whose name equals this one without regard to ASCII case, or null.
  const VariableRecord* FindIgnoreCase(std::string_view name) const;

  size_t Size() const { return records_.size(); }
  const VariableRecord& At(size_t index) const { return *records_[index]; }

 private:
  void Append(std::unique_ptr<VariableRecord> record);

  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
  };
  using NameIndex = std::unordered_map<std::string, VariableRecord*, NameHash, std::equal_to<>>;

  std::vector<std::unique_ptr<VariableRecord>> records_;
  bool indexed_ = true;
  // Records are never removed or renamed, so the first record of each name (and of each
  // lower-cased name) stays the first match for ever.
  NameIndex byName_;
  NameIndex byLowerName_;
};

}  // namespace qlm
