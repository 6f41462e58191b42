#include "expr/VariableStore.h"

#include <cinttypes>
#include <cstdio>
#include <utility>

#include "expr/NumberText.h"

namespace qlm {

namespace {

std::string LowerAscii(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace

VariableRecord* VariableStore::FindMutable(std::string_view name) {
  return const_cast<VariableRecord*>(std::as_const(*this).Find(name));
}

const VariableRecord* VariableStore::Find(std::string_view name) const {
  if (indexed_) {
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
  }
  for (const auto& record : records_) {
    if (record->name == name)
      return record.get();
  }
  return nullptr;
}

const VariableRecord* VariableStore::FindIgnoreCase(std::string_view name) const {
  if (indexed_) {
    auto it = byLowerName_.find(LowerAscii(name));
    return it == byLowerName_.end() ? nullptr : it->second;
  }
  for (const auto& record : records_) {
    if (EqualsIgnoreAsciiCase(record->name, name))
      return record.get();
  }
  return nullptr;
}

void VariableStore::UseNameIndex(bool use) {
  indexed_ = use;
  byName_.clear();
  byLowerName_.clear();
  if (!use)
    return;
  for (const auto& record : records_) {
    byName_.emplace(record->name, record.get());
    byLowerName_.emplace(LowerAscii(record->name), record.get());
  }
}

void VariableStore::Append(std::unique_ptr<VariableRecord> record) {
  if (indexed_) {
    byName_.emplace(record->name, record.get());
    byLowerName_.emplace(LowerAscii(record->name), record.get());  // keeps the first
  }
  records_.push_back(std::move(record));
}

bool VariableStore::SetNumber(const std::string& name, double value) {
  if (VariableRecord* record = FindMutable(name)) {
    record->number = value;
    return true;
  }
  Append(std::make_unique<VariableRecord>(name, value, std::string()));
  return false;
}

bool VariableStore::SetText(const std::string& name, const std::string& text) {
  if (VariableRecord* record = FindMutable(name)) {
    record->text = text;
    return true;
  }
  Append(std::make_unique<VariableRecord>(name, TextMarker, text));
  return false;
}

bool VariableStore::GetNumber(const std::string& name, double& value) const {
  const VariableRecord* record = Find(NormalizeName(name));
  if (!record)
    return false;
  value = record->number;
  return true;
}

bool VariableStore::GetText(const std::string& name, std::string& text) const {
  const VariableRecord* record = Find(NormalizeName(name));
  if (!record) {
    text.clear();
    return false;
  }
  text = record->text;
  return true;
}

std::string VariableStore::NormalizeName(const std::string& name) const {
  size_t open = name.find('[');
  if (open == std::string::npos)
    return name;
  size_t close = name.find(']');
  if (close == std::string::npos || close <= open)
    return name;

  std::string inner = name.substr(open + 1, close - open - 1);
  double index = 0;
  if (!GetNumber(inner, index))
    index = ParseDecimal(inner);
  char digits[32];
  std::snprintf(digits, sizeof digits, "%" PRId64, TruncateIndex(index));

  size_t dollar = name.find('$');
  if (dollar != std::string::npos && dollar + 1 == open) {
    return name.substr(0, dollar) + "$[" + digits + "]";
  }
  if (dollar != std::string::npos && dollar == close + 1) {
    return name.substr(0, open) + "$[" + digits + "]";
  }
  return name.substr(0, open) + "[" + digits + "]";
}

}  // namespace qlm
