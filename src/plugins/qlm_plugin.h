/*
 * qlm_plugin.h: the interface between QLM Player and its plug-in libraries on Linux and
 * other Unix-like systems. Plug-in authors compile against this header alone (plain C99).
 *
 * A plug-in is a shared library (built as a loadable module). Two kinds exist:
 *
 *   Object plug-ins draw the rectangle of a plug-in object on a page, may receive mouse
 *   events, and exchange a number, a text and a file name with the project's scripts.
 *   Transition plug-ins compute the frames of a page transition from the old and the new page.
 *
 * Finding the library
 *   The object's text names the library (path macros such as "<SrcDir>" are expanded first).
 *   The player tries, in order, and takes the first that loads:
 *     1. the name as written when it holds a backslash, else the player's folder + "\" + name;
 *     2. the player's folder + "\" + the name's last component;
 *     3. the player's folder + "\Plugins\" + the name's last component.
 *   Windows paths are mapped to host paths without regard to case. For each of these paths,
 *   a name ending in ".dll" (any case) is tried as, in order:
 *     NAME.so, libNAME.so, NAME.dll
 *   so "Clock.dll" is found as "Clock.so" or "libClock.so" (a "lib" prefix is optional), and
 *   any other name is tried as written, then with ".so" and "lib" + name + ".so".
 *
 * Object plug-ins come in two calling styles, and the player supports both:
 *
 *   Object style: the library exports qlm_create_object_fn "CreateObject", which returns a
 *   qlm_plugin_object (a table of function pointers and the plug-in's own context). Every
 *   later call goes through that table. A NULL entry is skipped, as a missing export is.
 *
 *   Function style: the library does not export "CreateObject" (or it returned NULL). Every
 *   later call looks up an exported function of the same name at the time of the call and is
 *   skipped when the library does not export it.
 *
 * Information exports, looked up in both styles at load time, each optional:
 *   int32_t GetType(void); const char* GetInfo(void); const char* Copyright(void);
 *   const char* GetShortInfo(void);
 * "SetPath" (const char* file) is called at set-up in both styles.
 *
 * Strings: texts passed to the plug-in are NUL-terminated 8-bit strings valid during the call
 * only. Texts the plug-in returns stay its own; the player copies them at once. A NULL return
 * is taken as the empty text.
 *
 * Threads: every call comes from the player's user-interface thread; the player never calls a
 * plug-in re-entrantly.
 *
 * Set-up order (object plug-ins), after a successful load:
 *   SetParentWindow, GetLinkName (+ SetLinkRect when that object exists), SetParamA,
 *   SetParamB, SetParamC, SetIntString, SetString, "SetPath" (export), SetFrame, SetValue(0).
 * Destruction: Destroy(1) on the object, then the library is unloaded.
 */
#ifndef QLM_PLUGIN_H
#define QLM_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Exports of plug-ins must be visible even when built with -fvisibility=hidden. */
#if defined(__GNUC__)
#define QLM_PLUGIN_EXPORT __attribute__((visibility("default")))
#else
#define QLM_PLUGIN_EXPORT
#endif

/* The player window, opaque to plug-ins; NULL when there is no window. */
typedef struct qlm_window qlm_window;

/* 32-bit pixels 0x00RRGGBB (the top byte is ignored and cleared by the player), rows from the
 * top, `stride` pixels from one row to the next. The buffer covers exactly the object's
 * rectangle: width x height pixels, pixel (0, 0) at the rectangle's top-left corner. It holds
 * what the page shows beneath the object when Draw is called, so a plug-in that leaves pixels
 * alone is transparent there. */
typedef struct qlm_surface {
  uint32_t* pixels;
  int32_t width;
  int32_t height;
  int32_t stride;
} qlm_surface;

/* A rectangle in window coordinates; right and bottom are exclusive. */
typedef struct qlm_rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
} qlm_rect;

/* Mouse capture levels returned by CaptureMouse. */
#define QLM_CAPTURE_NONE 0    /* no mouse events */
#define QLM_CAPTURE_BUTTONS 1 /* button events */
#define QLM_CAPTURE_MOVES 2   /* button and move events (2 or more) */

/* The operations of an object-style plug-in. `self` is the object's `self` field. Mouse
 * positions are relative to the object's top-left corner. Draw receives the surface of the
 * object's rectangle and the rectangle itself in window coordinates (left, top, width,
 * height). Members must stay in this order; new members are only ever added at the end and
 * `size` tells the player how many a plug-in knows: set it to sizeof(qlm_plugin_vtable). */
typedef struct qlm_plugin_vtable {
  uint32_t size;
  void (*SetString)(void* self, const char* text);
  void (*SetIntString)(void* self, const char* text);
  void (*SetData)(void* self, int32_t value);
  int32_t (*GetData)(void* self);
  void (*SetParentWindow)(void* self, qlm_window* window);
  void (*Draw)(void* self, const qlm_surface* surface, int32_t left, int32_t top, int32_t width,
               int32_t height);
  void (*SetValue)(void* self, float value);
  void (*SetFrame)(void* self, int32_t width, int32_t height, int32_t left, int32_t top,
                   int32_t zero1, int32_t zero2);
  void (*SetParamC)(void* self, int32_t a, int32_t b, int32_t c);
  void (*SetParamB)(void* self, int32_t a, int32_t b, int32_t c);
  void (*SetParamA)(void* self, int32_t a, int32_t b, int32_t c);
  void (*MouseMove)(void* self, int32_t x, int32_t y);
  void (*MouseUp)(void* self, int32_t x, int32_t y);
  void (*MouseDown)(void* self, int32_t x, int32_t y);
  int32_t (*CaptureMouse)(void* self);
  /* flag 1: the object frees itself (and its context). */
  void (*Destroy)(void* self, int32_t flag);
  const char* (*GetFile)(void* self);
  void (*SetFile)(void* self, const char* file);
  void (*RMouseUp)(void* self, int32_t x, int32_t y);
  void (*RMouseDown)(void* self, int32_t x, int32_t y);
  /* The name of another object of the project whose rectangle the plug-in wants, or "". */
  const char* (*GetLinkName)(void* self);
  void (*SetLinkRect)(void* self, const qlm_rect* rect);
} qlm_plugin_vtable;

/* What "CreateObject" returns. The player keeps the pointer until it calls Destroy(1). */
typedef struct qlm_plugin_object {
  const qlm_plugin_vtable* vtable;
  void* self;
} qlm_plugin_object;

/* Signatures of the exports. The export names are the strings in quotes. */
typedef int32_t (*qlm_get_type_fn)(void);                 /* "GetType" */
typedef const char* (*qlm_get_text_fn)(void);             /* "GetInfo", "Copyright",
                                                             "GetShortInfo", "GetFile" */
typedef qlm_plugin_object* (*qlm_create_object_fn)(void); /* "CreateObject" */
typedef int32_t (*qlm_capture_mouse_fn)(void);            /* "CaptureMouse" */
typedef void (*qlm_mouse_fn)(int32_t x, int32_t y);       /* "MouseDown", "MouseUp",
                                                             "RMouseDown", "RMouseUp",
                                                             "MouseMove" */
typedef void (*qlm_set_text_fn)(const char* text);        /* "SetString", "SetIntString",
                                                             "SetPath", "SetFile" */
typedef void (*qlm_set_parent_fn)(qlm_window* window);    /* "SetParentWindow" */
typedef void (*qlm_draw_fn)(const qlm_surface* surface, int32_t left, int32_t top, int32_t width,
                            int32_t height);    /* "Draw" */
typedef int32_t (*qlm_get_data_fn)(void);       /* "GetData" */
typedef void (*qlm_set_data_fn)(int32_t value); /* "SetData" */
typedef void (*qlm_run_fn)(void);               /* any name: PluginRun */

/* Transition plug-ins. All buffers hold width x height 32-bit pixels (0x00RRGGBB, rows from
 * the top, no padding), the size of the player window, and stay valid until the transition
 * ends. The player calls, each only when exported and in this order: "SetBuffer" (the frame
 * it shows), "SetBufferIn" (the old page), "SetBufferOut" (the new page), "SetDim", "SetType";
 * then "Next" with the progress from 0 up to 1 for every frame, after which it shows the
 * frame buffer. */
typedef void (*qlm_set_buffer_fn)(uint32_t* pixels);           /* "SetBuffer" */
typedef void (*qlm_set_source_fn)(const uint32_t* pixels);     /* "SetBufferIn", "SetBufferOut" */
typedef void (*qlm_set_dim_fn)(int32_t width, int32_t height); /* "SetDim" */
typedef void (*qlm_set_type_fn)(int32_t variant);              /* "SetType" */
typedef void (*qlm_next_fn)(float progress);                   /* "Next" */

#ifdef __cplusplus
}
#endif

#endif /* QLM_PLUGIN_H */
