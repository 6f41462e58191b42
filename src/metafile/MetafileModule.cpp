// Enhanced metafiles drawn with libemf2svg (the records become SVG) and librsvg (the SVG is drawn
// with cairo). Both are maintained Debian libraries; no other packaged library reads EMF records
// and draws them with cairo.

#include "metafile/MetafileModule.h"

#include <cairo.h>
#include <emf2svg.h>
#include <librsvg/rsvg.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// The smallest enhanced metafile: its header record.
constexpr size_t kHeaderSize = 88;

struct FreeDeleter {
  void operator()(char* p) const { std::free(p); }
};
struct HandleDeleter {
  void operator()(RsvgHandle* h) const { g_object_unref(h); }
};
struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};

constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrEof = 14;
constexpr uint32_t kEmrLastType = 122;          // EMR_CREATECOLORSPACEW, the highest record type
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"

uint32_t U32(const std::vector<char>& b, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
void SetU32(std::vector<char>& b, size_t at, uint32_t v) {
  std::memcpy(b.data() + at, &v, 4);
}

// libemf2svg trusts the record structure: it reads the header's description and pixel format
// where the header says, and walks records by their sizes. So the copy it is handed is checked
// first: the header must be one, its description and pixel format must lie inside it (else
// they are dropped; they are not drawn), and records must follow one another whole up to the
// end record, and every record must be of a known type. Returns the length to convert, 0 when the
// bytes are refused.
size_t CheckRecords(std::vector<char>& emf) {
  const size_t size = emf.size();
  if (size < kHeaderSize || U32(emf, 0) != kEmrHeader || U32(emf, 40) != kEmfSignature)
    return 0;
  const uint64_t headerSize = U32(emf, 4);
  if (headerSize < kHeaderSize || headerSize > size || headerSize % 4 != 0)
    return 0;
  const uint64_t descriptionChars = U32(emf, 60), descriptionAt = U32(emf, 64);
  // An offset without characters is read up to a NUL, so it goes too.
  if (descriptionChars == 0 || descriptionAt < kHeaderSize ||
      descriptionAt + 2 * descriptionChars > headerSize) {
    SetU32(emf, 60, 0);
    SetU32(emf, 64, 0);
  }
  constexpr size_t kPixelFormatEnd = 100;  // header extension: size, offset, OpenGL flag
  if (headerSize >= kPixelFormatEnd) {
    const uint64_t formatSize = U32(emf, 88), formatAt = U32(emf, 92);
    if (formatSize == 0 || formatAt < kHeaderSize || formatAt + formatSize > headerSize) {
      SetU32(emf, 88, 0);
      SetU32(emf, 92, 0);
    }
  }
  size_t at = 0;
  uint32_t records = 0;
  while (at + 8 <= size) {
    const uint64_t recordSize = U32(emf, at + 4);
    if (recordSize < 8 || recordSize % 4 != 0 || at + recordSize > size)
      break;
    const uint32_t type = U32(emf, at);
    if (type == 0 || type > kEmrLastType)
      return 0;  // the converter looks record types up in a table of the known ones
    if (at > 0 && type == kEmrHeader)
      return 0;  // a second header
    at += recordSize;
    ++records;
    if (type == kEmrEof)
      break;
  }
  // What follows the last whole record (or the end record) is not handed on.
  SetU32(emf, 48, static_cast<uint32_t>(at));
  SetU32(emf, 52, records);
  return at;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int qlm_metafile_render(const uint8_t* emf,
                                                                          size_t size, int width,
                                                                          int height,
                                                                          uint32_t* argb) {
  if (!argb || width <= 0 || height <= 0 || width > QLM_METAFILE_MAX_SIDE ||
      height > QLM_METAFILE_MAX_SIDE ||
      static_cast<int64_t>(width) * height > QLM_METAFILE_MAX_PIXELS)
    return 0;
  std::memset(argb, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  if (!emf)
    return 0;
  // The converter takes a writable buffer, and the checks repair the copy.
  std::vector<char> copy(reinterpret_cast<const char*>(emf),
                         reinterpret_cast<const char*>(emf) + size);
  const size_t length = CheckRecords(copy);
  if (length == 0)
    return 0;
  char nameSpace[] = "svg";
  generatorOptions options{};
  options.nameSpace = nameSpace;
  options.verbose = false;
  options.emfplus = true;
  options.svgDelimiter = true;
  char* svgText = nullptr;
  size_t svgSize = 0;
  const int converted = emf2svg(copy.data(), length, &svgText, &svgSize, &options);
  const std::unique_ptr<char, FreeDeleter> svg(svgText);
  if (!converted || !svg || svgSize == 0)
    return 0;

  GError* error = nullptr;
  const std::unique_ptr<RsvgHandle, HandleDeleter> handle(
      rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg.get()), svgSize, &error));
  g_clear_error(&error);
  if (!handle)
    return 0;
  gdouble w = 0, h = 0;
  if (!rsvg_handle_get_intrinsic_size_in_pixels(handle.get(), &w, &h) || !(w > 0) || !(h > 0))
    return 0;
  const std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
      cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(argb),
                                          CAIRO_FORMAT_ARGB32, width, height, width * 4));
  const std::unique_ptr<cairo_t, CairoDeleter> cr(cairo_create(surface.get()));
  if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS)
    return 0;
  // The picture is stretched to the rectangle in both directions, as the player shows it.
  cairo_scale(cr.get(), width / w, height / h);
  const RsvgRectangle viewport{0, 0, w, h};
  const gboolean drawn = rsvg_handle_render_document(handle.get(), cr.get(), &viewport, &error);
  g_clear_error(&error);
  cairo_surface_flush(surface.get());
  if (!drawn) {
    std::memset(argb, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    return 0;
  }
  return 1;
}
