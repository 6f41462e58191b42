#include "script/ListBoxControl.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>

#include "expr/ClassicRandom.h"

namespace qlm {

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(LowerAscii(x)) < static_cast<unsigned char>(LowerAscii(y));
  });
}

// The leading number of a text, or nullopt when it does not start with one.
// Words such as "nancy" or "info" are no numbers, and no key may be NaN.
std::optional<double> LeadingNumber(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
    return std::nullopt;
  const char c = text[first];
  if (!(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
    return std::nullopt;
  const char* begin = text.c_str() + first;
  char* end = nullptr;
  const double value = std::strtod(begin, &end);
  if (end == begin || !std::isfinite(value))
    return std::nullopt;
  return value;
}

// A time column as seconds: "m:ss" or a plain number.
std::optional<double> Seconds(const std::string& info) {
  const size_t colon = info.find(':');
  if (colon == std::string::npos)
    return LeadingNumber(info);
  const std::optional<double> minutes = LeadingNumber(info.substr(0, colon));
  const std::optional<double> seconds = LeadingNumber(info.substr(colon + 1));
  if (!minutes || !seconds)
    return std::nullopt;
  return *minutes * 60 + *seconds;
}

// Items with a key come first, in key order; the others keep their order behind them.
void SortByKey(std::vector<ListBoxItem>& items,
               const std::function<std::optional<double>(const ListBoxItem&)>& key) {
  std::vector<std::pair<double, ListBoxItem>> keyed;
  keyed.reserve(items.size());
  for (ListBoxItem& item : items) {
    const std::optional<double> k = key(item);
    keyed.emplace_back(k ? *k : std::numeric_limits<double>::infinity(), std::move(item));
  }
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 0; i < items.size(); ++i)
    items[i] = std::move(keyed[i].second);
}

}  // namespace

ListBoxControl ListBoxControl::FromTexts(const std::vector<std::string>& texts) {
  ListBoxControl list;
  for (const std::string& text : texts)
    list.AddText(text);
  return list;
}

void ListBoxControl::AddText(std::string text, std::string value) {
  ListBoxItem item;
  item.path = text;
  item.text = std::move(text);
  item.value = std::move(value);
  items_.push_back(std::move(item));
}

std::string ListBoxControl::DisplayName(const std::string& path) {
  const size_t slash = path.rfind('\\');
  const size_t dot = path.rfind('.');
  if (slash == std::string::npos || dot == std::string::npos || dot < slash)
    return path;
  return path.substr(slash + 1, dot - slash - 1);
}

void ListBoxControl::AddFile(const std::string& path) {
  ListBoxItem item;
  item.text = DisplayName(path);
  item.path = path;
  item.info = kUnknownInfo;
  items_.push_back(std::move(item));
}

std::optional<size_t> ListBoxControl::IndexOf(int64_t number) const {
  if (number < 1 || static_cast<uint64_t>(number) > items_.size())
    return std::nullopt;
  return static_cast<size_t>(number - 1);
}

bool ListBoxControl::Delete(int64_t number) {
  if (number == kAll)
    return Clear();
  const std::optional<size_t> index = IndexOf(number);
  if (!index)
    return false;
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(*index));
  KeepTopInside();
  return true;
}

bool ListBoxControl::SetSelected(int64_t number, bool selected) {
  bool changed = false;
  auto set = [&](ListBoxItem& item) {
    changed |= item.selected != selected;
    item.selected = selected;
  };
  if (number == kAll) {
    std::for_each(items_.begin(), items_.end(), set);
  } else if (const std::optional<size_t> index = IndexOf(number)) {
    set(items_[*index]);
  }
  return changed;
}

bool ListBoxControl::Select(int64_t number) {
  return SetSelected(number, true);
}

bool ListBoxControl::Deselect(int64_t number) {
  return SetSelected(number, false);
}

bool ListBoxControl::Move(int64_t number) {
  const std::optional<size_t> index = IndexOf(number);
  if (!index || *index == 0)
    return false;
  std::swap(items_[*index], items_[*index - 1]);
  return true;
}

bool ListBoxControl::Clear() {
  const bool changed = !items_.empty();
  items_.clear();
  top_ = 0;
  return changed;
}

void ListBoxControl::Shuffle(ClassicRandom& random) {
  const size_t n = items_.size();
  if (n == 0)
    return;
  auto draw = [&] {
    const double scaled = random.Next() / 32767.0 * static_cast<double>(n);
    return std::min(static_cast<size_t>(scaled), n - 1);
  };
  for (size_t i = 0; i < 2 * n; ++i) {
    const size_t a = draw();
    const size_t b = draw();
    std::swap(items_[a], items_[b]);
  }
}

void ListBoxControl::Sort(SortMode mode) {
  switch (mode) {
    case kReverse:
      std::reverse(items_.begin(), items_.end());
      break;
    case kByName:
      std::stable_sort(items_.begin(), items_.end(), [](const auto& a, const auto& b) {
        return LessIgnoringCase(a.text, b.text);
      });
      break;
    case kByTime:
      SortByKey(items_, [](const ListBoxItem& item) { return Seconds(item.info); });
      break;
    case kByValue:
      SortByKey(items_, [](const ListBoxItem& item) {
        return LeadingNumber(item.value.empty() ? item.text : item.value);
      });
      break;
  }
}

bool ListBoxControl::ClickItem(size_t index, bool toggle) {
  if (index >= items_.size())
    return false;
  if (toggle) {
    items_[index].selected = !items_[index].selected;
    return true;
  }
  bool changed = false;
  for (size_t i = 0; i < items_.size(); ++i) {
    const bool selected = i == index;
    changed |= items_[i].selected != selected;
    items_[i].selected = selected;
  }
  return changed;
}

ListBoxJoin ListBoxControl::Join(char separator, bool selectedOnly) const {
  ListBoxJoin join;
  for (const ListBoxItem& item : items_) {
    if (selectedOnly && !item.selected)
      continue;
    if (join.count > 0) {
      join.texts += separator;
      join.paths += separator;
    }
    join.texts += item.text;
    join.paths += item.path;
    ++join.count;
  }
  return join;
}

void ListBoxControl::SetTopIndex(size_t top) {
  top_ = top;
  KeepTopInside();
}

void ListBoxControl::EnsureVisible(size_t index, size_t visibleRows) {
  if (index >= items_.size())
    return;
  if (index < top_)
    top_ = index;
  else if (visibleRows > 0 && index >= top_ + visibleRows)
    top_ = index - visibleRows + 1;
}

void ListBoxControl::KeepTopInside() {
  if (top_ >= items_.size())
    top_ = items_.empty() ? 0 : items_.size() - 1;
}

}  // namespace qlm
