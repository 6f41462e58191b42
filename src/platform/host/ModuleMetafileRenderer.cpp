#include "platform/host/ModuleMetafileRenderer.h"

#include "platform/host/ChildCall.h"
#include "platform/host/ModuleLibrary.h"

#include "metafile/MetafileModule.h"

namespace qlm {

void ModuleMetafileRenderer::Load() {
  tried_ = true;
  render_ = LoadModuleSymbol(folders_, kModuleName, QLM_METAFILE_RENDER_SYMBOL, error_);
  if (!render_ && failed_)
    failed_(error_);
}

std::optional<ArgbImage> ModuleMetafileRenderer::Render(std::span<const uint8_t> metafile,
                                                        int width, int height) {
  if (metafile.empty() || width <= 0 || height <= 0 || width > QLM_METAFILE_MAX_SIDE ||
      height > QLM_METAFILE_MAX_SIDE || int64_t{width} * height > QLM_METAFILE_MAX_PIXELS)
    return std::nullopt;
  if (!tried_)
    Load();
  if (!render_)
    return std::nullopt;
  ArgbImage image{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
  const auto render = reinterpret_cast<QlmMetafileRender>(render_);
  // The converter libraries follow offsets and counts inside records without checking them all
  // against the bytes, so a damaged metafile may crash or hang them: they run in a child.
  const std::span<uint8_t> pixels(reinterpret_cast<uint8_t*>(image.pixels.data()),
                                  image.pixels.size() * sizeof(uint32_t));
  const std::optional<bool> drawn = CallInChild(
      pixels,
      [&](std::span<uint8_t> shared) {
        return render(metafile.data(), metafile.size(), width, height,
                      reinterpret_cast<uint32_t*>(shared.data())) != 0;
      },
      kTimeLimit);
  if (drawn != true)
    return std::nullopt;
  return image;
}

}  // namespace qlm
