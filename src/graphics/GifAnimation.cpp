#include "graphics/GifAnimation.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace qlm {
namespace {

struct MemoryInput {
  std::span<const uint8_t> file;
  size_t position = 0;
};

int ReadMemory(GifFileType* gif, GifByteType* out, int wanted) {
  auto* input = static_cast<MemoryInput*>(gif->UserData);
  if (wanted <= 0)
    return 0;
  const size_t n = std::min(static_cast<size_t>(wanted), input->file.size() - input->position);
  std::memcpy(out, input->file.data() + input->position, n);
  input->position += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

// Reads the data sub-blocks of an image that is not kept, so the next record can be read.
bool SkipImageData(GifFileType* gif) {
  int codeSize = 0;
  GifByteType* block = nullptr;
  if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
    return false;
  while (block) {
    if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
      return false;
  }
  return true;
}

// The rows of an interlaced image arrive in four passes.
std::vector<uint32_t> RowOrder(uint32_t height, bool interlaced) {
  std::vector<uint32_t> order;
  order.reserve(height);
  if (!interlaced) {
    for (uint32_t y = 0; y < height; ++y)
      order.push_back(y);
    return order;
  }
  constexpr uint32_t kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (uint32_t y = kStart[pass]; y < height; y += kStep[pass])
      order.push_back(y);
  }
  return order;
}

void FillPalette(GifFrame& frame, const ColorMapObject* map) {
  if (!map || !map->Colors)
    return;
  const int count = std::clamp(map->ColorCount, 0, 256);
  for (int i = 0; i < count; ++i) {
    const GifColorType& c = map->Colors[i];
    frame.palette[static_cast<size_t>(i)] =
        (uint32_t{c.Blue} << 16) | (uint32_t{c.Green} << 8) | c.Red;
  }
}

// The sub-blocks of an extension, after its first; false when the file ends inside them.
bool ReadExtensionBlocks(GifFileType* gif, std::vector<std::vector<uint8_t>>* keep) {
  GifByteType* block = nullptr;
  for (;;) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
      return false;
    if (!block)
      return true;
    if (keep)
      keep->emplace_back(block + 1, block + 1 + block[0]);
  }
}

}  // namespace

std::optional<GifAnimation> GifAnimation::Decode(std::span<const uint8_t> file) {
  MemoryInput input{file};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&input, ReadMemory, &error));
  if (!gif)
    return std::nullopt;
  GifAnimation animation;
  uint64_t width = static_cast<uint32_t>(std::max(0, gif->SWidth));
  uint64_t height = static_cast<uint32_t>(std::max(0, gif->SHeight));
  uint64_t totalPixels = 0;
  GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
  bool ended = false;
  while (!ended) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
      break;
    if (type == TERMINATE_RECORD_TYPE)
      break;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* first = nullptr;
      if (DGifGetExtension(gif.get(), &code, &first) == GIF_ERROR)
        break;
      if (code == GRAPHICS_EXT_FUNC_CODE && first &&
          DGifExtensionToGCB(first[0], first + 1, &control) == GIF_ERROR) {
        control = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
      }
      std::vector<std::vector<uint8_t>> rest;
      const bool application = code == APPLICATION_EXT_FUNC_CODE && first && first[0] == 11 &&
                               (std::memcmp(first + 1, "NETSCAPE2.0", 11) == 0 ||
                                std::memcmp(first + 1, "ANIMEXTS1.0", 11) == 0);
      if (!ReadExtensionBlocks(gif.get(), application ? &rest : nullptr))
        break;
      for (const std::vector<uint8_t>& sub : rest) {
        if (sub.size() >= 3 && sub[0] == 1)
          animation.loopCount_ = uint32_t{sub[1]} | (uint32_t{sub[2]} << 8);
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif.get()) == GIF_ERROR)
      break;
    const GifImageDesc& desc = gif->Image;
    const uint64_t w = static_cast<uint32_t>(std::max(0, desc.Width));
    const uint64_t h = static_cast<uint32_t>(std::max(0, desc.Height));
    if (animation.frames_.empty()) {
      // A screen smaller than the first frame grows to hold it, as browsers show such files.
      width = std::max<uint64_t>(width, uint64_t(std::max(0, desc.Left)) + w);
      height = std::max<uint64_t>(height, uint64_t(std::max(0, desc.Top)) + h);
      if (width * height > kMaxScreenPixels)
        return std::nullopt;
    }
    if (w == 0 || h == 0 || animation.frames_.size() >= kMaxFrames ||
        totalPixels + w * h > kMaxTotalPixels) {
      if (!SkipImageData(gif.get()))
        break;
      control = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
      continue;
    }
    GifFrame frame;
    frame.left = static_cast<uint32_t>(std::max(0, desc.Left));
    frame.top = static_cast<uint32_t>(std::max(0, desc.Top));
    frame.width = static_cast<uint32_t>(w);
    frame.height = static_cast<uint32_t>(h);
    FillPalette(frame, desc.ColorMap ? desc.ColorMap : gif->SColorMap);
    frame.transparentIndex = control.TransparentColor;
    switch (control.DisposalMode) {
      case DISPOSE_BACKGROUND:
        frame.disposal = GifDisposal::kBackground;
        break;
      case DISPOSE_PREVIOUS:
        frame.disposal = GifDisposal::kPrevious;
        break;
      default:
        frame.disposal = GifDisposal::kKeep;
        break;
    }
    const uint32_t delayCs = static_cast<uint32_t>(std::max(0, control.DelayTime));
    frame.delayMs = (delayCs < kMinimumDelayCs ? kShortDelayCs : delayCs) * 10;
    control = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    frame.indices.resize(static_cast<size_t>(w * h));
    bool whole = true;
    for (uint32_t y : RowOrder(frame.height, desc.Interlace)) {
      if (DGifGetLine(gif.get(), frame.indices.data() + size_t{y} * w, static_cast<int>(w)) ==
          GIF_ERROR) {
        whole = false;
        break;
      }
    }
    if (!whole)
      break;  // the file is damaged here: the frames before stay
    totalPixels += w * h;
    animation.frames_.push_back(std::move(frame));
  }
  if (animation.frames_.empty() || width == 0 || height == 0)
    return std::nullopt;
  animation.width_ = static_cast<uint32_t>(width);
  animation.height_ = static_cast<uint32_t>(height);
  return animation;
}

// ---------------------------------------------------------------------------------------------

GifCanvas::GifCanvas(const GifAnimation& animation) : animation_(&animation) {
  Reset();
}

void GifCanvas::Reset() {
  const uint32_t w = animation_->Width(), h = animation_->Height();
  const size_t bytes = size_t{w} * h * 3;
  colours_ = {w, h, std::vector<uint8_t>(bytes, 0)};
  mask_ = {w, h, std::vector<uint8_t>(bytes, 0xFF)};
  savedColours_ = {};
  savedMask_ = {};
  index_ = 0;
  if (!animation_->Frames().empty())
    Draw(animation_->Frames()[0]);
}

void GifCanvas::Advance() {
  const std::vector<GifFrame>& frames = animation_->Frames();
  if (index_ + 1 >= frames.size()) {
    Reset();
    return;
  }
  const GifFrame& leaving = frames[index_];
  if (leaving.disposal == GifDisposal::kBackground) {
    Clear(leaving);
  } else if (leaving.disposal == GifDisposal::kPrevious && !savedColours_.Empty()) {
    colours_ = std::move(savedColours_);
    mask_ = std::move(savedMask_);
  }
  savedColours_ = {};
  savedMask_ = {};
  ++index_;
  Draw(frames[index_]);
}

void GifCanvas::Clear(const GifFrame& frame) {
  const uint32_t right = std::min(colours_.width, frame.left + frame.width);
  const uint32_t bottom = std::min(colours_.height, frame.top + frame.height);
  for (uint32_t y = frame.top; y < bottom; ++y) {
    for (uint32_t x = frame.left; x < right; ++x) {
      const size_t at = (size_t{y} * colours_.width + x) * 3;
      std::fill_n(colours_.pixels.begin() + static_cast<ptrdiff_t>(at), 3, 0);
      std::fill_n(mask_.pixels.begin() + static_cast<ptrdiff_t>(at), 3, 0xFF);
    }
  }
}

void GifCanvas::Draw(const GifFrame& frame) {
  if (frame.disposal == GifDisposal::kPrevious) {
    savedColours_ = colours_;
    savedMask_ = mask_;
  }
  // Frames reaching past the screen are cut at its edges.
  const uint32_t right = std::min<uint64_t>(colours_.width, uint64_t{frame.left} + frame.width);
  const uint32_t bottom = std::min<uint64_t>(colours_.height, uint64_t{frame.top} + frame.height);
  for (uint32_t y = frame.top; y < bottom; ++y) {
    const uint8_t* row = frame.indices.data() + size_t{y - frame.top} * frame.width;
    for (uint32_t x = frame.left; x < right; ++x) {
      const uint8_t index = row[x - frame.left];
      if (index == frame.transparentIndex)
        continue;
      const uint32_t bgr = frame.palette[index];
      const size_t at = (size_t{y} * colours_.width + x) * 3;
      colours_.pixels[at] = static_cast<uint8_t>(bgr >> 16);
      colours_.pixels[at + 1] = static_cast<uint8_t>(bgr >> 8);
      colours_.pixels[at + 2] = static_cast<uint8_t>(bgr);
      mask_.pixels[at] = mask_.pixels[at + 1] = mask_.pixels[at + 2] = 0;
    }
  }
}

}  // namespace qlm
