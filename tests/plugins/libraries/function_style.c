/* A function-style plug-in: no "CreateObject", every call is an export. It draws vertical
 * stripes of the number it holds as their width (at least 1) in black and yellow, keeps a file
 * text and logs its calls. It exports neither "SetString" nor the right-button calls, so the
 * player must skip them. */
#include "call_log.h"

static int32_t g_data = 4;
static char g_file[256];

QLM_PLUGIN_EXPORT int32_t GetType(void) {
  return 2;
}
QLM_PLUGIN_EXPORT const char* GetShortInfo(void) {
  return "Stripes";
}
QLM_PLUGIN_EXPORT int32_t CaptureMouse(void) {
  return QLM_CAPTURE_MOVES;
}
QLM_PLUGIN_EXPORT void SetParentWindow(qlm_window* window) {
  LogCall("SetParentWindow(%s);", window ? "window" : "none");
}
QLM_PLUGIN_EXPORT void SetIntString(const char* text) {
  LogCall("SetIntString(%s);", text);
}
QLM_PLUGIN_EXPORT void SetPath(const char* path) {
  LogCall("SetPath(%s);", path);
}
QLM_PLUGIN_EXPORT void MouseDown(int32_t x, int32_t y) {
  LogCall("MouseDown(%d,%d);", x, y);
}
QLM_PLUGIN_EXPORT void MouseUp(int32_t x, int32_t y) {
  LogCall("MouseUp(%d,%d);", x, y);
}
QLM_PLUGIN_EXPORT void MouseMove(int32_t x, int32_t y) {
  LogCall("MouseMove(%d,%d);", x, y);
}
QLM_PLUGIN_EXPORT void SetData(int32_t value) {
  g_data = value;
  LogCall("SetData(%d);", value);
}
QLM_PLUGIN_EXPORT int32_t GetData(void) {
  return g_data;
}
QLM_PLUGIN_EXPORT void SetFile(const char* file) {
  snprintf(g_file, sizeof g_file, "%s", file);
  LogCall("SetFile(%s);", file);
}
QLM_PLUGIN_EXPORT const char* GetFile(void) {
  return g_file;
}
QLM_PLUGIN_EXPORT void Draw(qlm_surface* s, int32_t left, int32_t top, int32_t width,
                            int32_t height) {
  LogCall("Draw(%d,%d,%d,%d,%dx%d);", left, top, width, height, s->width, s->height);
  const int32_t stripe = g_data > 0 ? g_data : 1;
  for (int32_t y = 0; y < s->height; ++y) {
    uint32_t* row = s->pixels + (size_t)y * (size_t)s->stride;
    for (int32_t x = 0; x < s->width; ++x)
      row[x] = (x / stripe) % 2 ? 0xFFFF00 : 0x000000;
  }
}
/* PluginRun target: doubles the number. */
QLM_PLUGIN_EXPORT void Double(void) {
  g_data *= 2;
  LogCall("Double();");
}
