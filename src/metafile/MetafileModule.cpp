// Enhanced metafiles drawn with libemf2svg (the records become SVG) and librsvg (the SVG is drawn
// with cairo). Both are maintained Debian libraries; no other packaged library reads EMF records
// and draws them with cairo.

#include "metafile/MetafileModule.h"

#include <cairo.h>
#include <emf2svg.h>
#include <librsvg/rsvg.h>

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

// The header record must say it is one and how long it is, so other files are not converted.
bool LooksLikeEmf(const uint8_t* emf, size_t size) {
  auto u32 = [&](size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, emf + at, 4);
    return v;
  };
  return size >= kHeaderSize && u32(0) == 1 && u32(4) >= kHeaderSize && u32(4) <= size &&
         u32(40) == 0x464D4520;
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
  if (!emf || !LooksLikeEmf(emf, size))
    return 0;
  // The converter takes a writable buffer.
  std::vector<char> copy(reinterpret_cast<const char*>(emf),
                         reinterpret_cast<const char*>(emf) + size);
  char nameSpace[] = "svg";
  generatorOptions options{};
  options.nameSpace = nameSpace;
  options.verbose = false;
  options.emfplus = true;
  options.svgDelimiter = true;
  char* svgText = nullptr;
  size_t svgSize = 0;
  const int converted = emf2svg(copy.data(), copy.size(), &svgText, &svgSize, &options);
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
