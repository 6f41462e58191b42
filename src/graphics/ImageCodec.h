#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "graphics/Image24.h"

namespace qlm {

// Decoders turn encoded files into Image24 (B, G, R). They never throw; a file that does not
// decode gives nullopt. Sizes are checked before anything is reserved.
std::optional<Image24> DecodeJpeg(std::span<const uint8_t> file);
std::optional<Image24> DecodePng(std::span<const uint8_t> file);
std::optional<Image24> DecodeTiff(std::span<const uint8_t> file);
// Picks the decoder from the file's signature (JPEG, PNG, TIFF).
std::optional<Image24> DecodeImageFile(std::span<const uint8_t> file);

// Encoders for tools, tests and screenshots.
std::vector<uint8_t> EncodeJpeg(const Image24& image, int quality = 90);
std::vector<uint8_t> EncodePng(const Image24& image);

}  // namespace qlm
