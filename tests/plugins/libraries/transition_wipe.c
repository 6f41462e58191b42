/* A transition plug-in: a wipe from left to right. Variant 1 runs from right to left. */
#include <stddef.h>

#include "call_log.h"

static uint32_t* g_frame;
static const uint32_t* g_in;
static const uint32_t* g_out;
static int32_t g_width, g_height, g_variant;

QLM_PLUGIN_EXPORT void SetBuffer(uint32_t* pixels) {
  g_frame = pixels;
  LogCall("SetBuffer;");
}
QLM_PLUGIN_EXPORT void SetBufferIn(const uint32_t* pixels) {
  g_in = pixels;
  LogCall("SetBufferIn;");
}
QLM_PLUGIN_EXPORT void SetBufferOut(const uint32_t* pixels) {
  g_out = pixels;
  LogCall("SetBufferOut;");
}
QLM_PLUGIN_EXPORT void SetDim(int32_t width, int32_t height) {
  g_width = width;
  g_height = height;
  LogCall("SetDim(%d,%d);", width, height);
}
QLM_PLUGIN_EXPORT void SetType(int32_t variant) {
  g_variant = variant;
  LogCall("SetType(%d);", variant);
}
QLM_PLUGIN_EXPORT void Next(float progress) {
  if (!g_frame || !g_in || !g_out)
    return;
  const int32_t edge = (int32_t)(progress * (float)g_width + 0.5f);
  for (int32_t y = 0; y < g_height; ++y) {
    for (int32_t x = 0; x < g_width; ++x) {
      const size_t i = (size_t)y * (size_t)g_width + (size_t)x;
      const int shown = g_variant == 1 ? x >= g_width - edge : x < edge;
      g_frame[i] = shown ? g_out[i] : g_in[i];
    }
  }
}
