#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qlm {

class ClassicRandom;

// One row of a list object.
struct ListBoxItem {
  std::string text;   // what the row shows
  std::string path;   // file items: the file; text items: the text
  std::string info;   // information column (a file's time, "unkn." while unknown)
  std::string value;  // second value of a text item; the value sort reads it
  bool selected = false;
  bool operator==(const ListBoxItem&) const = default;
};

// The rows of a list object joined into texts.
struct ListBoxJoin {
  std::string texts;  // item texts
  std::string paths;  // item paths, in the same order
  size_t count = 0;
};

// The list control of a list-box object (kind 29) while its project runs: the rows, their
// selection, the first visible row and the display flags scripts set. Item numbers in the
// operations count from 1; -1 stands for every item where an operation allows it.
class ListBoxControl {
 public:
  static constexpr uint32_t kDefaultBackground = 0xFFFFFF;
  static constexpr uint32_t kDefaultText = 0x000000;
  static constexpr const char* kUnknownInfo = "unkn.";
  // Sort modes by their numbers.
  enum SortMode { kReverse = 0, kByName = 1, kByTime = 2, kByValue = 3 };
  static constexpr int64_t kAll = -1;

  // A list that shows these texts, as a list object's stored strings fill it.
  static ListBoxControl FromTexts(const std::vector<std::string>& texts);

  void AddText(std::string text, std::string value = {});
  // A file: shown by its name between the last backslash and the last dot (the whole path when
  // either is missing), with "unkn." in the information column.
  void AddFile(const std::string& path);
  static std::string DisplayName(const std::string& path);

  // Each returns true when the list changed; numbers outside the list change nothing.
  bool Delete(int64_t number);    // -1: every item
  bool Select(int64_t number);    // -1: every item
  bool Deselect(int64_t number);  // -1: every item
  // Item `number` changes places with the one above it; -1 and the first item stay.
  bool Move(int64_t number);
  bool Clear();
  // 2n swaps of two positions drawn from `random` (0..32767 each), as the song list shuffles.
  void Shuffle(ClassicRandom& random);
  // Name: text without regard to ASCII case; time: the information column read as seconds
  // ("m:ss" or a number; others after every timed item); value: the second value (the text
  // when there is none) read as a number (others after every numbered item). The sorts keep the
  // order of equal items. Reverse turns the list round.
  void Sort(SortMode mode);

  // A click on a row: the row alone is selected; `toggle` flips only that row instead.
  // True when the selection changed.
  bool ClickItem(size_t index, bool toggle);

  ListBoxJoin Join(char separator, bool selectedOnly) const;

  const std::vector<ListBoxItem>& Items() const { return items_; }
  size_t Size() const { return items_.size(); }

  // First visible row; kept inside the list as it shrinks.
  size_t TopIndex() const { return top_; }
  void SetTopIndex(size_t top);
  // Scrolls the least so that row `index` is among `visibleRows` rows from the top.
  void EnsureVisible(size_t index, size_t visibleRows);

  // Display flags. The numbers and times flags hide their column when set (their stored sense);
  // tag reading and precise timing are on when set.
  bool dragDrop = false;
  bool hideNumbers = true;
  bool hideTimes = true;
  bool readTags = false;
  bool preciseTiming = false;
  uint32_t background = kDefaultBackground;
  uint32_t textColour = kDefaultText;

  bool operator==(const ListBoxControl&) const = default;

 private:
  // The item index of a number from 1, or nullopt outside the list.
  std::optional<size_t> IndexOf(int64_t number) const;
  bool SetSelected(int64_t number, bool selected);
  void KeepTopInside();

  std::vector<ListBoxItem> items_;
  size_t top_ = 0;
};

}  // namespace qlm
