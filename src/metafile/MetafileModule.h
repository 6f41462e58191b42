#pragma once

// The C interface of the metafile module (qlm_metafile.so), which the player loads on first use
// so that a presentation without metafiles starts without the converter's libraries.

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Draws the enhanced metafile `emf` stretched to width x height into `argb`: width * height
// premultiplied 0xAARRGGBB pixels, rows from the top without padding, cleared to transparent
// first. Returns 1 when the picture was drawn, 0 when it does not convert (nothing is drawn
// then). Sides above 8192 or an area above 2^24 pixels are refused.
int qlm_metafile_render(const uint8_t* emf, size_t size, int width, int height, uint32_t* argb);
typedef int (*QlmMetafileRender)(const uint8_t*, size_t, int, int, uint32_t*);

#define QLM_METAFILE_RENDER_SYMBOL "qlm_metafile_render"
#define QLM_METAFILE_MAX_SIDE 8192
#define QLM_METAFILE_MAX_PIXELS (1 << 24)

#ifdef __cplusplus
}
#endif
