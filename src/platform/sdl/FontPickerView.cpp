#include "platform/sdl/FontPickerView.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>

#include "platform/AsciiText.h"
#include "platform/KeyNames.h"

namespace qlm {
namespace {

constexpr int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr int kSizeCount = static_cast<int>(std::size(kSizes));

const char* const kBoxNames[] = {"Bold", "Italic", "Underline", "Strikeout"};

}  // namespace

std::vector<std::string> InstalledFontFamilies() {
  std::set<std::string> unique;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  if (FcFontSet* set = FcFontList(nullptr, pattern, objects)) {
    for (int i = 0; i < set->nfont; ++i) {
      FcChar8* family = nullptr;
      if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family)
        unique.insert(reinterpret_cast<const char*>(family));
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  std::vector<std::string> families(unique.begin(), unique.end());
  std::sort(families.begin(), families.end(),
            [](const std::string& a, const std::string& b) { return LessIgnoreAsciiCase(a, b); });
  return families;
}

FontPickerView::FontPickerView(DialogKit& kit, std::vector<std::string> families, int dpiY)
    : kit_(kit), families_(std::move(families)), dpiY_(dpiY > 0 ? dpiY : 96) {
  for (const char* preferred : {"Liberation Sans", "DejaVu Sans"}) {
    const auto it = std::find(families_.begin(), families_.end(), preferred);
    if (it != families_.end()) {
      ChooseFamily(static_cast<int>(it - families_.begin()));
      break;
    }
  }
  if (family_ < 0 && !families_.empty())
    ChooseFamily(0);
}

void FontPickerView::ChooseFamily(int index) {
  if (families_.empty())
    return;
  family_ = std::clamp(index, 0, static_cast<int>(families_.size()) - 1);
  familyTop_ = ScrollToShow(familyTop_, family_, DialogKit::VisibleRows(kFamilyList),
                            static_cast<int>(families_.size()));
}

std::optional<FontChoice> FontPickerView::Choice() const {
  int points = 0;
  const auto [end, error] = std::from_chars(size_.data(), size_.data() + size_.size(), points);
  if (family_ < 0 || error != std::errc() || points < 1 || points > 1000)
    return std::nullopt;
  FontChoice font;
  font.faceName = families_[static_cast<size_t>(family_)];
  font.height = -static_cast<int32_t>(std::lround(points * dpiY_ / 72.0));
  font.weight = bold_ ? 700 : 400;
  font.italic = italic_;
  font.underline = underline_;
  font.strikeOut = strikeOut_;
  return font;
}

void FontPickerView::Accept() {
  if (Choice())
    state_ = State::kAccepted;
}

bool& FontPickerView::Box(int focus) {
  switch (focus) {
    case kFocusBold:
      return bold_;
    case kFocusItalic:
      return italic_;
    case kFocusUnderline:
      return underline_;
    default:
      return strikeOut_;
  }
}

void FontPickerView::Key(uint32_t code, const Modifiers& m) {
  switch (code) {
    case vk::kEscape:
      state_ = State::kCancelled;
      return;
    case vk::kReturn:
      if (focus_ == kFocusCancel)
        state_ = State::kCancelled;
      else
        Accept();
      return;
    case vk::kTab:
      focus_ = (focus_ + (m.shift ? kFocusCount - 1 : 1)) % kFocusCount;
      search_.clear();
      return;
    case vk::kSpace:
      if (focus_ >= kFocusBold && focus_ <= kFocusStrikeOut)
        Box(focus_) = !Box(focus_);
      else if (focus_ == kFocusOk)
        Accept();
      else if (focus_ == kFocusCancel)
        state_ = State::kCancelled;
      return;
    case vk::kBack:
      if (focus_ == kFocusSize && !size_.empty())
        size_.pop_back();
      else if (focus_ == kFocusFamily)
        search_.clear();
      return;
    case vk::kUp:
    case vk::kDown:
    case vk::kPrior:
    case vk::kNext: {
      const int page = DialogKit::VisibleRows(kFamilyList) - 1;
      const int step = code == vk::kUp      ? -1
                       : code == vk::kDown  ? 1
                       : code == vk::kPrior ? -page
                                            : page;
      if (focus_ == kFocusFamily) {
        ChooseFamily(family_ + step);
      } else if (focus_ == kFocusSize) {
        int current = 0;
        std::from_chars(size_.data(), size_.data() + size_.size(), current);
        int index = 0;
        while (index < kSizeCount - 1 && kSizes[index] < current)
          ++index;
        if (step < 0 && index > 0 && kSizes[index] >= current)
          --index;
        else if (step > 0 && kSizes[index] <= current && index < kSizeCount - 1)
          ++index;
        size_ = std::to_string(kSizes[index]);
      }
      return;
    }
    default:
      return;
  }
}

void FontPickerView::Text(const std::string& utf8) {
  if (focus_ == kFocusSize) {
    for (char c : utf8) {
      if (c >= '0' && c <= '9' && size_.size() < 3)
        size_ += c;
    }
    return;
  }
  if (focus_ != kFocusFamily)
    return;
  search_ += utf8;
  for (size_t i = 0; i < families_.size(); ++i) {
    if (StartsWithIgnoreAsciiCase(families_[i], search_)) {
      ChooseFamily(static_cast<int>(i));
      return;
    }
  }
}

void FontPickerView::MouseDown(int x, int y, int clicks) {
  search_.clear();
  if (kFamilyList.Contains(x, y)) {
    focus_ = kFocusFamily;
    const int row =
        DialogKit::RowAt(kFamilyList, familyTop_, static_cast<int>(families_.size()), x, y);
    if (row >= 0) {
      ChooseFamily(row);
      if (clicks >= 2)
        Accept();
    }
  } else if (kSizeField.Contains(x, y)) {
    focus_ = kFocusSize;
  } else if (kSizeList.Contains(x, y)) {
    focus_ = kFocusSize;
    const int row = DialogKit::RowAt(kSizeList, sizeTop_, kSizeCount, x, y);
    if (row >= 0)
      size_ = std::to_string(kSizes[row]);
  } else if (kOkButton.Contains(x, y)) {
    pressed_ = focus_ = kFocusOk;
  } else if (kCancelButton.Contains(x, y)) {
    pressed_ = focus_ = kFocusCancel;
  } else {
    for (int i = 0; i < 4; ++i) {
      if (IntRect::FromSize(kBoxX, kBoxY + i * kBoxStepY, 110, 16).Contains(x, y)) {
        focus_ = kFocusBold + i;
        Box(focus_) = !Box(focus_);
      }
    }
  }
}

void FontPickerView::MouseUp(int x, int y) {
  const int was = pressed_;
  pressed_ = -1;
  if (was == kFocusOk && kOkButton.Contains(x, y))
    Accept();
  else if (was == kFocusCancel && kCancelButton.Contains(x, y))
    state_ = State::kCancelled;
}

void FontPickerView::Wheel(int x, int y, int notches) {
  if (kFamilyList.Contains(x, y)) {
    const int visible = DialogKit::VisibleRows(kFamilyList);
    familyTop_ = std::clamp(familyTop_ - 3 * notches, 0,
                            std::max(0, static_cast<int>(families_.size()) - visible));
  } else if (kSizeList.Contains(x, y)) {
    const int visible = DialogKit::VisibleRows(kSizeList);
    sizeTop_ = std::clamp(sizeTop_ - 3 * notches, 0, std::max(0, kSizeCount - visible));
  }
}

void FontPickerView::Paint(DialogCanvas& canvas) {
  kit_.Face(canvas, kWidth, kHeight);
  kit_.Label(canvas, 10, 8, "Font:");
  kit_.Field(canvas, IntRect{10, 26, 250, 48},
             family_ >= 0 ? families_[static_cast<size_t>(family_)] : std::string(), false);
  kit_.List(canvas, kFamilyList, families_, familyTop_, family_, focus_ == kFocusFamily);
  kit_.Label(canvas, 262, 8, "Size:");
  kit_.Field(canvas, kSizeField, size_, focus_ == kFocusSize);
  std::vector<std::string> sizes;
  int selectedSize = -1;
  for (int i = 0; i < kSizeCount; ++i) {
    sizes.push_back(std::to_string(kSizes[i]));
    if (sizes.back() == size_)
      selectedSize = i;
  }
  kit_.List(canvas, kSizeList, sizes, sizeTop_, selectedSize, false);
  const bool checked[4] = {bold_, italic_, underline_, strikeOut_};
  for (int i = 0; i < 4; ++i) {
    kit_.CheckBox(canvas, kBoxX, kBoxY + i * kBoxStepY, kBoxNames[i], checked[i],
                  focus_ == kFocusBold + i);
  }
  const IntRect sample{336, 130, 450, 226};
  canvas.FillRect(sample, DialogKit::kWindow);
  canvas.Edge(sample, EdgeStyle::Sunken);
  if (const std::optional<FontChoice> font = Choice()) {
    FontSpec spec;
    spec.face = font->faceName;
    spec.height = std::max(font->height, -64);
    spec.weight = font->weight;
    spec.italic = font->italic;
    spec.underline = font->underline;
    spec.strikeOut = font->strikeOut;
    DialogCanvas::ClipScope clip(canvas, sample.Inflate(-2));
    canvas.DrawText(kit_.Fonts().Get(spec), "AaBbYyZz", sample.left + 6, sample.top + 8, 0);
  }
  kit_.Button(canvas, kOkButton, "OK", pressed_ == kFocusOk, focus_ == kFocusOk);
  kit_.Button(canvas, kCancelButton, "Cancel", pressed_ == kFocusCancel, focus_ == kFocusCancel);
}

}  // namespace qlm
