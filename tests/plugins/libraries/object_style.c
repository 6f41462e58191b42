/* An object-style plug-in built in C: "CreateObject" returns an object whose first word points
 * to the slot table, laid out as a C++ class's virtual functions are. It fills its
 * rectangle with the colour of SetParamA (red, green, blue) inside a 1-pixel frame of the
 * colour of SetParamB, and marks the last button press with a white pixel. It keeps a number
 * and a file text for the scripts and logs every call. */
#include <stdlib.h>

#include "call_log.h"

typedef struct Demo {
  qlm_plugin_object object; /* first: the player's pointer is the Demo's */
  uint32_t fill;
  uint32_t frame;
  int32_t data;
  int32_t pressX, pressY;
  char file[256];
} Demo;

static uint32_t Rgb(int32_t r, int32_t g, int32_t b) {
  return ((uint32_t)(r & 0xFF) << 16) | ((uint32_t)(g & 0xFF) << 8) | (uint32_t)(b & 0xFF);
}

static void SetString(qlm_plugin_object* self, const char* text) {
  (void)self;
  LogCall("SetString(%s);", text);
}
static void SetIntString(qlm_plugin_object* self, const char* text) {
  (void)self;
  LogCall("SetIntString(%s);", text);
}
static void SetData(qlm_plugin_object* self, int32_t value) {
  ((Demo*)self)->data = value;
  LogCall("SetData(%d);", value);
}
static int32_t GetData(qlm_plugin_object* self) {
  LogCall("GetData();");
  return ((Demo*)self)->data;
}
static void SetParentWindow(qlm_plugin_object* self, qlm_window* window) {
  (void)self;
  LogCall("SetParentWindow(%s);", window ? "window" : "none");
}
static void Draw(qlm_plugin_object* self, qlm_surface* s, int32_t left, int32_t top, int32_t width,
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
static void SetValue(qlm_plugin_object* self, float value) {
  (void)self;
  LogCall("SetValue(%g);", (double)value);
}
static void SetFrame(qlm_plugin_object* self, int32_t w, int32_t h, int32_t l, int32_t t, int32_t a,
                     int32_t b) {
  (void)self;
  LogCall("SetFrame(%d,%d,%d,%d,%d,%d);", w, h, l, t, a, b);
}
static void SetParamA(qlm_plugin_object* self, int32_t a, int32_t b, int32_t c) {
  ((Demo*)self)->fill = Rgb(a, b, c);
  LogCall("SetParamA(%d,%d,%d);", a, b, c);
}
static void SetParamB(qlm_plugin_object* self, int32_t a, int32_t b, int32_t c) {
  ((Demo*)self)->frame = Rgb(a, b, c);
  LogCall("SetParamB(%d,%d,%d);", a, b, c);
}
static void SetParamC(qlm_plugin_object* self, int32_t a, int32_t b, int32_t c) {
  (void)self;
  LogCall("SetParamC(%d,%d,%d);", a, b, c);
}
static void MouseMove(qlm_plugin_object* self, int32_t x, int32_t y) {
  (void)self;
  LogCall("MouseMove(%d,%d);", x, y);
}
static void MouseUp(qlm_plugin_object* self, int32_t x, int32_t y) {
  (void)self;
  LogCall("MouseUp(%d,%d);", x, y);
}
static void MouseDown(qlm_plugin_object* self, int32_t x, int32_t y) {
  Demo* d = (Demo*)self;
  d->pressX = x;
  d->pressY = y;
  LogCall("MouseDown(%d,%d);", x, y);
}
static int32_t CaptureMouse(qlm_plugin_object* self) {
  (void)self;
  LogCall("CaptureMouse();");
  return QLM_CAPTURE_BUTTONS;
}
static void Destroy(qlm_plugin_object* self, int32_t flag) {
  LogCall("Destroy(%d);", flag);
  if (flag & QLM_DESTROY_DELETE)
    free(self);
}
/* The slots the player never calls; reaching one is a fault the log shows. */
static void Unused(qlm_plugin_object* self) {
  (void)self;
  LogCall("Unused();");
}
static const char* GetFile(qlm_plugin_object* self) {
  LogCall("GetFile();");
  return ((Demo*)self)->file;
}
static void SetFile(qlm_plugin_object* self, const char* file) {
  Demo* d = (Demo*)self;
  snprintf(d->file, sizeof d->file, "%s", file);
  LogCall("SetFile(%s);", file);
}
static void RMouseUp(qlm_plugin_object* self, int32_t x, int32_t y) {
  (void)self;
  LogCall("RMouseUp(%d,%d);", x, y);
}
static void RMouseDown(qlm_plugin_object* self, int32_t x, int32_t y) {
  (void)self;
  LogCall("RMouseDown(%d,%d);", x, y);
}
static const char* GetLinkName(qlm_plugin_object* self) {
  (void)self;
  LogCall("GetLinkName();");
  return "Partner";
}
static void SetLinkRect(qlm_plugin_object* self, const qlm_rect* r) {
  (void)self;
  LogCall("SetLinkRect(%d,%d,%d,%d);", r->left, r->top, r->right, r->bottom);
}

static const qlm_plugin_vtable kTable = {
    Unused,                                                        /* 0 */
    SetString,                                                     /* 1 */
    Unused,                                                        /* 2 */
    SetIntString,                                                  /* 3 */
    SetData,                                                       /* 4 */
    GetData,                                                       /* 5 */
    SetParentWindow, Draw,        SetValue, SetFrame,   SetParamC, /* 10 */
    SetParamB,       SetParamA,   Unused,                          /* 13 */
    MouseMove,       MouseUp,                                      /* 15 */
    MouseDown,       Unused,                                       /* 17 */
    Unused,                                                        /* 18 */
    CaptureMouse,    Unused,                                       /* 20 */
    Destroy,                                                       /* 21 */
    GetFile,         SetFile,     RMouseUp, RMouseDown,            /* 25 */
    GetLinkName,     SetLinkRect,                                  /* 27 */
};

QLM_PLUGIN_EXPORT qlm_plugin_object* CreateObject(void) {
  Demo* d = (Demo*)calloc(1, sizeof(Demo));
  if (!d)
    return NULL;
  d->object.vtable = &kTable;
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
