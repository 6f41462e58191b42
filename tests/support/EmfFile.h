#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace qlm::test {

// Enhanced-metafile record types the tests write.
namespace emr {
inline constexpr uint32_t kHeader = 1;
inline constexpr uint32_t kPolygon16 = 86;
inline constexpr uint32_t kEof = 14;
inline constexpr uint32_t kSelectObject = 37;
inline constexpr uint32_t kCreatePen = 38;
inline constexpr uint32_t kCreateBrush = 39;
inline constexpr uint32_t kEllipse = 42;
inline constexpr uint32_t kRectangle = 43;
}  // namespace emr

// Writes a small enhanced metafile record by record: the header, drawing records and the end
// record. Logical units are pixels of a reference device of 100 pixels an inch; the picture is
// width x height of them.
class EmfBuilder {
 public:
  EmfBuilder(int32_t width, int32_t height) : width_(width), height_(height) {}

  // A solid brush (or pen) of a colour (0x00BBGGRR), made and selected.
  EmfBuilder& Brush(uint32_t colour) {
    const uint32_t handle = ++handles_;
    Record(emr::kCreateBrush, {handle, 0 /* BS_SOLID */, colour, 0});
    return Record(emr::kSelectObject, {handle});
  }
  // A pen: style 0 solid, 5 none.
  EmfBuilder& Pen(uint32_t style, uint32_t width, uint32_t colour) {
    const uint32_t handle = ++handles_;
    Record(emr::kCreatePen, {handle, style, width, 0, colour});
    return Record(emr::kSelectObject, {handle});
  }
  EmfBuilder& Rectangle(int32_t l, int32_t t, int32_t r, int32_t b) {
    return Record(emr::kRectangle, {U(l), U(t), U(r), U(b)});
  }
  EmfBuilder& Ellipse(int32_t l, int32_t t, int32_t r, int32_t b) {
    return Record(emr::kEllipse, {U(l), U(t), U(r), U(b)});
  }
  EmfBuilder& Polygon(const std::vector<std::pair<int16_t, int16_t>>& points) {
    std::vector<uint32_t> words = {0, 0, U(width_ - 1), U(height_ - 1),
                                   static_cast<uint32_t>(points.size())};
    for (const auto& [x, y] : points)
      words.push_back(static_cast<uint16_t>(x) | (uint32_t{static_cast<uint16_t>(y)} << 16));
    return Record(emr::kPolygon16, words);
  }
  // Any record, for damaged files.
  EmfBuilder& Record(uint32_t type, const std::vector<uint32_t>& words) {
    Put(body_, type);
    Put(body_, static_cast<uint32_t>(8 + 4 * words.size()));
    for (uint32_t w : words)
      Put(body_, w);
    ++records_;
    return *this;
  }

  // The header, the records and the end record.
  std::vector<uint8_t> Finish() const {
    std::vector<uint8_t> tail = body_;
    for (uint32_t w : {emr::kEof, 20u, 0u, 16u, 20u})
      Put(tail, w);
    constexpr uint32_t kHeaderSize = 88;
    // The reference device: 1000 x 1000 pixels on 254 x 254 mm (100 pixels an inch).
    const uint32_t frameRight = static_cast<uint32_t>(width_) * 254 / 10;
    const uint32_t frameBottom = static_cast<uint32_t>(height_) * 254 / 10;
    const std::vector<uint32_t> header = {emr::kHeader,
                                          kHeaderSize,
                                          0,
                                          0,
                                          U(width_ - 1),
                                          U(height_ - 1),  // bounds, device pixels, inclusive
                                          0,
                                          0,
                                          frameRight,
                                          frameBottom,  // frame, hundredths of a millimetre
                                          0x464D4520,   // " EMF"
                                          0x10000,
                                          static_cast<uint32_t>(kHeaderSize + tail.size()),
                                          records_ + 2,
                                          (handles_ + 1),  // handles (16 bits) and a reserved 0
                                          0,
                                          0,  // no description
                                          0,  // no palette
                                          1000,
                                          1000,  // reference device in pixels
                                          254,
                                          254};  // and in millimetres
    std::vector<uint8_t> file;
    for (uint32_t w : header)
      Put(file, w);
    file.insert(file.end(), tail.begin(), tail.end());
    return file;
  }

 private:
  static uint32_t U(int32_t v) { return static_cast<uint32_t>(v); }
  static void Put(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
      out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }

  int32_t width_, height_;
  std::vector<uint8_t> body_;
  uint32_t records_ = 0;
  uint32_t handles_ = 0;
};

}  // namespace qlm::test
