/* An object-style plug-in: "CreateObject" returns a table of operations. It fills its
 * rectangle with the colour of SetParamA (red, green, blue) inside a 1-pixel frame of the
 * colour of SetParamB, and marks the last button press with a white pixel. It keeps a number
 * and a file text for the scripts and logs every call. */
#include <stdlib.h>

#include "call_log.h"

typedef struct Demo {
  qlm_plugin_object object;
  uint32_t fill;
  uint32_t frame;
  int32_t data;
  int32_t pressX, pressY;
  char file[256];
} Demo;

static uint32_t Rgb(int32_t r, int32_t g, int32_t b) {
  return ((uint32_t)(r & 0xFF) << 16) | ((uint32_t)(g & 0xFF) << 8) | (uint32_t)(b & 0xFF);
}

static void SetString(void* self, const char* text) {
  (void)self;
  LogCall("SetString(%s);", text);
}
static void SetIntString(void* self, const char* text) {
  (void)self;
  LogCall("SetIntString(%s);", text);
}
static void SetData(void* self, int32_t value) {
  ((Demo*)self)->data = value;
  LogCall("SetData(%d);", value);
}
static int32_t GetData(void* self) {
  LogCall("GetData();");
  return ((Demo*)self)->data;
}
static void SetParentWindow(void* self, qlm_window* window) {
  (void)self;
  LogCall("SetParentWindow(%s);", window ? "window" : "none");
}
static void Draw(void* self, const qlm_surface* s, int32_t left, int32_t top, int32_t width,
                 int32_t height) {
  Demo* d = (Demo*)self;
  LogCall("Draw(%d,%d,%d,%d,%dx%d);", left, top, width, height, s->width, s->height);
  for (int32_t y = 0; y < s->height; ++y) {
    uint32_t* row = s->pixels + (size_t)y * (size_t)s->stride;
    for (int32_t x = 0; x < s->width; ++x) {
      const int edge = x == 0 || y == 0 || x == s->width - 1 || y == s->height - 1;
      row[x] = edge ? d->frame : d->fill;
    }
  }
  if (d->pressX >= 0 && d->pressX < s->width && d->pressY >= 0 && d->pressY < s->height)
    s->pixels[(size_t)d->pressY * (size_t)s->stride + (size_t)d->pressX] = 0xFFFFFF;
}
static void SetValue(void* self, float value) {
  (void)self;
  LogCall("SetValue(%g);", (double)value);
}
static void SetFrame(void* self, int32_t w, int32_t h, int32_t l, int32_t t, int32_t a, int32_t b) {
  (void)self;
  LogCall("SetFrame(%d,%d,%d,%d,%d,%d);", w, h, l, t, a, b);
}
static void SetParamA(void* self, int32_t a, int32_t b, int32_t c) {
  ((Demo*)self)->fill = Rgb(a, b, c);
  LogCall("SetParamA(%d,%d,%d);", a, b, c);
}
static void SetParamB(void* self, int32_t a, int32_t b, int32_t c) {
  ((Demo*)self)->frame = Rgb(a, b, c);
  LogCall("SetParamB(%d,%d,%d);", a, b, c);
}
static void SetParamC(void* self, int32_t a, int32_t b, int32_t c) {
  (void)self;
  LogCall("SetParamC(%d,%d,%d);", a, b, c);
}
static void MouseMove(void* self, int32_t x, int32_t y) {
  (void)self;
  LogCall("MouseMove(%d,%d);", x, y);
}
static void MouseUp(void* self, int32_t x, int32_t y) {
  (void)self;
  LogCall("MouseUp(%d,%d);", x, y);
}
static void MouseDown(void* self, int32_t x, int32_t y) {
  Demo* d = (Demo*)self;
  d->pressX = x;
  d->pressY = y;
  LogCall("MouseDown(%d,%d);", x, y);
}
static int32_t CaptureMouse(void* self) {
  (void)self;
  LogCall("CaptureMouse();");
  return QLM_CAPTURE_BUTTONS;
}
static void Destroy(void* self, int32_t flag) {
  LogCall("Destroy(%d);", flag);
  if (flag == 1)
    free(self);
}
static const char* GetFile(void* self) {
  LogCall("GetFile();");
  return ((Demo*)self)->file;
}
static void SetFile(void* self, const char* file) {
  Demo* d = (Demo*)self;
  snprintf(d->file, sizeof d->file, "%s", file);
  LogCall("SetFile(%s);", file);
}
static void RMouseUp(void* self, int32_t x, int32_t y) {
  (void)self;
  LogCall("RMouseUp(%d,%d);", x, y);
}
static void RMouseDown(void* self, int32_t x, int32_t y) {
  (void)self;
  LogCall("RMouseDown(%d,%d);", x, y);
}
static const char* GetLinkName(void* self) {
  (void)self;
  LogCall("GetLinkName();");
  return "Partner";
}
static void SetLinkRect(void* self, const qlm_rect* r) {
  (void)self;
  LogCall("SetLinkRect(%d,%d,%d,%d);", r->left, r->top, r->right, r->bottom);
}

static const qlm_plugin_vtable kTable = {
    sizeof(qlm_plugin_vtable),
    SetString,
    SetIntString,
    SetData,
    GetData,
    SetParentWindow,
    Draw,
    SetValue,
    SetFrame,
    SetParamC,
    SetParamB,
    SetParamA,
    MouseMove,
    MouseUp,
    MouseDown,
    CaptureMouse,
    Destroy,
    GetFile,
    SetFile,
    RMouseUp,
    RMouseDown,
    GetLinkName,
    SetLinkRect,
};

QLM_PLUGIN_EXPORT qlm_plugin_object* CreateObject(void) {
  Demo* d = (Demo*)calloc(1, sizeof(Demo));
  if (!d)
    return NULL;
  d->object.vtable = &kTable;
  d->object.self = d;
  d->pressX = d->pressY = -1;
  LogCall("CreateObject();");
  return &d->object;
}

QLM_PLUGIN_EXPORT int32_t GetType(void) {
  return 1;
}
QLM_PLUGIN_EXPORT const char* GetInfo(void) {
  return "Object demo";
}
QLM_PLUGIN_EXPORT const char* Copyright(void) {
  return "(c) QLM test";
}
QLM_PLUGIN_EXPORT void SetPath(const char* path) {
  LogCall("SetPath(%s);", path);
}
/* PluginRun target. */
QLM_PLUGIN_EXPORT void Ping(void) {
  LogCall("Ping();");
}
