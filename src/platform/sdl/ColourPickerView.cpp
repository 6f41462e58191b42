#include "platform/sdl/ColourPickerView.h"

#include <algorithm>
#include <charconv>

#include "platform/KeyNames.h"

namespace qlm {
namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
  return r | (g << 8) | (b << 16);
}

}  // namespace

const std::array<uint32_t, ColourPickerView::kColumns * ColourPickerView::kRows>&
ColourPickerView::Palette() {
  static constexpr std::array<uint32_t, kColumns* kRows> kPalette = {
      Rgb(255, 128, 128), Rgb(255, 255, 128), Rgb(128, 255, 128), Rgb(0, 255, 128),
      Rgb(128, 255, 255), Rgb(0, 128, 255),   Rgb(255, 128, 192), Rgb(255, 128, 255),
      Rgb(255, 0, 0),     Rgb(255, 255, 0),   Rgb(128, 255, 0),   Rgb(0, 255, 64),
      Rgb(0, 255, 255),   Rgb(0, 128, 192),   Rgb(128, 128, 192), Rgb(255, 0, 255),
      Rgb(128, 64, 64),   Rgb(255, 128, 64),  Rgb(0, 255, 0),     Rgb(0, 128, 128),
      Rgb(0, 64, 128),    Rgb(128, 128, 255), Rgb(128, 0, 64),    Rgb(255, 0, 128),
      Rgb(128, 0, 0),     Rgb(255, 128, 0),   Rgb(0, 128, 0),     Rgb(0, 128, 64),
      Rgb(0, 0, 255),     Rgb(0, 0, 160),     Rgb(128, 0, 128),   Rgb(128, 0, 255),
      Rgb(64, 0, 0),      Rgb(128, 64, 0),    Rgb(0, 64, 0),      Rgb(0, 64, 64),
      Rgb(0, 0, 128),     Rgb(0, 0, 64),      Rgb(64, 0, 64),     Rgb(64, 0, 128),
      Rgb(0, 0, 0),       Rgb(128, 128, 0),   Rgb(128, 128, 64),  Rgb(128, 128, 128),
      Rgb(64, 128, 128),  Rgb(192, 192, 192), Rgb(64, 0, 64),     Rgb(255, 255, 255),
  };
  return kPalette;
}

ColourPickerView::ColourPickerView(DialogKit& kit, uint32_t initial) : kit_(kit) {
  for (int i = 0; i < 3; ++i)
    fields_[static_cast<size_t>(i)] = std::to_string((initial >> (8 * i)) & 0xFF);
  const auto& palette = Palette();
  const auto it = std::find(palette.begin(), palette.end(), initial & 0xFFFFFF);
  if (it != palette.end())
    swatch_ = static_cast<int>(it - palette.begin());
}

IntRect ColourPickerView::SwatchRect(int index) {
  return IntRect::FromSize(kSwatchX + (index % kColumns) * kSwatchStepX,
                           kSwatchY + (index / kColumns) * kSwatchStepY, kSwatchW, kSwatchH);
}

IntRect ColourPickerView::FieldRect(int component) {
  return IntRect::FromSize(kFieldX, kFieldY + component * kFieldStepY, 60, 22);
}

uint32_t ColourPickerView::Colour() const {
  uint32_t colour = 0;
  for (size_t i = 0; i < 3; ++i) {
    int value = 0;
    const std::string& f = fields_[i];
    std::from_chars(f.data(), f.data() + f.size(), value);
    colour |= static_cast<uint32_t>(std::clamp(value, 0, 255)) << (8 * i);
  }
  return colour;
}

void ColourPickerView::Choose(int index) {
  swatch_ = std::clamp(index, 0, kColumns * kRows - 1);
  const uint32_t colour = Palette()[static_cast<size_t>(swatch_)];
  for (size_t i = 0; i < 3; ++i)
    fields_[i] = std::to_string((colour >> (8 * i)) & 0xFF);
  replaceField_ = true;
}

void ColourPickerView::Key(uint32_t code, const Modifiers& m) {
  const bool inField = focus_ >= kFocusRed && focus_ <= kFocusBlue;
  if (code == vk::kTab)
    replaceField_ = true;
  if (ButtonKey(code, m, kButtons, focus_, kFocusCount))
    return;
  switch (code) {
    case vk::kBack:
      if (inField) {
        std::string& f = fields_[static_cast<size_t>(focus_ - kFocusRed)];
        if (!f.empty())
          f.pop_back();
        replaceField_ = false;
      }
      return;
    case vk::kLeft:
    case vk::kRight:
    case vk::kUp:
    case vk::kDown:
      if (focus_ == kFocusSwatches) {
        const int step = code == vk::kLeft    ? -1
                         : code == vk::kRight ? 1
                         : code == vk::kUp    ? -kColumns
                                              : kColumns;
        Choose(swatch_ < 0 ? 0 : swatch_ + step);
      }
      return;
    default:
      return;
  }
}

void ColourPickerView::Text(const std::string& utf8) {
  if (focus_ < kFocusRed || focus_ > kFocusBlue)
    return;
  std::string& f = fields_[static_cast<size_t>(focus_ - kFocusRed)];
  for (char c : utf8) {
    if (c < '0' || c > '9')
      continue;
    if (replaceField_)
      f.clear();
    replaceField_ = false;
    if (f.size() < 3)
      f += c;
  }
  swatch_ = -1;
}

void ColourPickerView::MouseDown(int x, int y, int clicks) {
  for (int i = 0; i < kColumns * kRows; ++i) {
    if (SwatchRect(i).Contains(x, y)) {
      focus_ = kFocusSwatches;
      Choose(i);
      if (clicks >= 2)
        state_ = State::kAccepted;
      return;
    }
  }
  for (int c = 0; c < 3; ++c) {
    if (FieldRect(c).Contains(x, y)) {
      focus_ = kFocusRed + c;
      replaceField_ = true;
      return;
    }
  }
  ButtonDown(x, y, kButtons, focus_, pressed_);
}

void ColourPickerView::MouseUp(int x, int y) {
  ButtonUp(x, y, kButtons, pressed_);
}

void ColourPickerView::Paint(DialogCanvas& canvas) {
  kit_.Face(canvas, kWidth, kHeight);
  kit_.Label(canvas, 10, 8, "Basic colours:");
  const auto& palette = Palette();
  for (int i = 0; i < kColumns * kRows; ++i) {
    const IntRect r = SwatchRect(i);
    canvas.FillRect(r, palette[static_cast<size_t>(i)]);
    canvas.Edge(r, EdgeStyle::Sunken);
    if (i == swatch_) {
      canvas.FrameRect(r.Inflate(2), 0x000000);
      if (focus_ == kFocusSwatches)
        canvas.FocusRect(r.Inflate(3));
    }
  }
  kit_.Label(canvas, 250, 8, "Colour:");
  const IntRect preview{250, 28, 370, 96};
  canvas.FillRect(preview, Colour());
  canvas.Edge(preview, EdgeStyle::Sunken);
  static constexpr const char* kNames[3] = {"Red:", "Green:", "Blue:"};
  for (int c = 0; c < 3; ++c) {
    kit_.Label(canvas, 250, kFieldY + c * kFieldStepY + 4, kNames[c]);
    kit_.Field(canvas, FieldRect(c), fields_[static_cast<size_t>(c)], focus_ == kFocusRed + c);
  }
  kit_.Button(canvas, kOkButton, "OK", pressed_ == kFocusOk, focus_ == kFocusOk);
  kit_.Button(canvas, kCancelButton, "Cancel", pressed_ == kFocusCancel, focus_ == kFocusCancel);
}

}  // namespace qlm
