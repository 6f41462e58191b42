/*
 * qlm_plugin.h: the interface between QLM Player and its plug-in libraries on x86-64 Linux and
 * other Unix-like systems that follow the Itanium C++ ABI. Plug-in authors compile against this
 * header alone (plain C99) or declare the same interface as a C++ class; docs/plugins.md
 * describes both, with every call and its order.
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
 *   The player's folders are the folder of the qlmplayer executable, then the presentation's
 *   folder. Windows paths are mapped to host paths without regard to case. For each of these
 *   paths, a name ending in ".dll" (any case) is tried as, in order:
 *     NAME.so, libNAME.so, NAME.dll
 *   so "Clock.dll" is found as "Clock.so" or "libClock.so", and any other name is tried as
 *   written, then with ".so" and as "lib" + name + ".so".
 *
 * Object plug-ins come in two calling styles, and the player supports both:
 *
 *   Object style: the library exports "CreateObject", which returns a qlm_plugin_object: an
 *   object whose first word points to a table of 28 function pointers, the slots below. This is
 *   exactly the layout of a C++ object whose class declares 28 virtual functions in slot order
 *   (and no virtual destructor, which would take two slots). Every slot function receives the
 *   object pointer first, as a C++ member function receives `this`. The player never calls
 *   slots 0, 2, 13, 17, 18 and 20; they only keep the others in place. A NULL slot in a table
 *   built in C is skipped, as a missing export is.
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
 * Set-up order (object plug-ins), after a successful load ("CreateObject" and CaptureMouse
 * come first, during the load):
 *   SetParentWindow, GetLinkName (+ SetLinkRect when that object exists), SetParamA,
 *   SetParamB, SetParamC, SetIntString, SetString, "SetPath" (export), SetFrame, SetValue(0).
 * Destruction: slot 21 with the flag 1 (the object deletes itself), then the library is
 * unloaded.
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

/* The player window: an opaque pointer that identifies it while the plug-in object lives.
 * It points to nothing a plug-in may read or write. NULL when there is no window. */
typedef struct qlm_window qlm_window;

/* The device context of Draw: the pixels of the object's rectangle. 32-bit pixels 0x00RRGGBB
 * in the machine's byte order (on x86-64 the bytes of a pixel are blue, green, red, unused; the
 * top byte is ignored and cleared by the player), rows from the top, `stride` pixels from one
 * row to the next. The buffer covers exactly the object's rectangle: width x height pixels,
 * pixel (0, 0) at the rectangle's top-left corner. It holds what the page shows beneath the
 * object when Draw is called, so a plug-in that leaves pixels alone is transparent there. The
 * structure and its pixels are valid during the Draw call only. */
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

/* The flag of slot 21: the object deletes itself. */
#define QLM_DESTROY_DELETE 1

/* The number of slots of the table. */
#define QLM_PLUGIN_SLOTS 28

typedef struct qlm_plugin_object qlm_plugin_object;

/* The slots of an object-style plug-in, in order (the slot number is the index of the function
 * pointer). `self` is the object "CreateObject" returned. Mouse positions are relative to the
 * object's top-left corner. Draw receives the object's rectangle in window coordinates (left,
 * top, width, height) and the surface of that rectangle. */
typedef struct qlm_plugin_vtable {
  void (*Unused0)(qlm_plugin_object* self);                             /* 0: never called */
  void (*SetString)(qlm_plugin_object* self, const char* text);         /* 1 */
  void (*Unused2)(qlm_plugin_object* self);                             /* 2: never called */
  void (*SetIntString)(qlm_plugin_object* self, const char* text);      /* 3 */
  void (*SetData)(qlm_plugin_object* self, int32_t value);              /* 4 */
  int32_t (*GetData)(qlm_plugin_object* self);                          /* 5 */
  void (*SetParentWindow)(qlm_plugin_object* self, qlm_window* window); /* 6 */
  void (*Draw)(qlm_plugin_object* self, qlm_surface* dc, int32_t left, int32_t top, int32_t width,
               int32_t height);                           /* 7 */
  void (*SetValue)(qlm_plugin_object* self, float value); /* 8 */
  void (*SetFrame)(qlm_plugin_object* self, int32_t width, int32_t height, int32_t left,
                   int32_t top, int32_t zero1, int32_t zero2);                 /* 9 */
  void (*SetParamC)(qlm_plugin_object* self, int32_t a, int32_t b, int32_t c); /* 10 */
  void (*SetParamB)(qlm_plugin_object* self, int32_t a, int32_t b, int32_t c); /* 11 */
  void (*SetParamA)(qlm_plugin_object* self, int32_t a, int32_t b, int32_t c); /* 12 */
  void (*Unused13)(qlm_plugin_object* self);                        /* 13: never called */
  void (*MouseMove)(qlm_plugin_object* self, int32_t x, int32_t y); /* 14 */
  void (*MouseUp)(qlm_plugin_object* self, int32_t x, int32_t y);   /* 15 */
  void (*MouseDown)(qlm_plugin_object* self, int32_t x, int32_t y); /* 16 */
  void (*Unused17)(qlm_plugin_object* self);                        /* 17: never called */
  void (*Unused18)(qlm_plugin_object* self);                        /* 18: never called */
  int32_t (*CaptureMouse)(qlm_plugin_object* self);                 /* 19 */
  void (*Unused20)(qlm_plugin_object* self);                        /* 20: never called */
  /* 21: flag QLM_DESTROY_DELETE: the object deletes itself (and what it owns). */
  void (*Destroy)(qlm_plugin_object* self, int32_t flag);
  const char* (*GetFile)(qlm_plugin_object* self);                   /* 22 */
  void (*SetFile)(qlm_plugin_object* self, const char* file);        /* 23 */
  void (*RMouseUp)(qlm_plugin_object* self, int32_t x, int32_t y);   /* 24 */
  void (*RMouseDown)(qlm_plugin_object* self, int32_t x, int32_t y); /* 25 */
  /* 26: the name of another object of the project whose rectangle the plug-in wants, or "". */
  const char* (*GetLinkName)(qlm_plugin_object* self);
  /* 27: that object's rectangle; the pointer is valid during the call only. */
  void (*SetLinkRect)(qlm_plugin_object* self, const qlm_rect* rect);
} qlm_plugin_vtable;

/* What "CreateObject" returns: an object whose first member is the table pointer. A plug-in
 * in C makes it the first member of its own structure. The player keeps the pointer until it
 * calls slot 21 with QLM_DESTROY_DELETE. */
struct qlm_plugin_object {
  const qlm_plugin_vtable* vtable;
};

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
typedef void (*qlm_draw_fn)(qlm_surface* dc, int32_t left, int32_t top, int32_t width,
                            int32_t height);    /* "Draw" */
typedef int32_t (*qlm_get_data_fn)(void);       /* "GetData" */
typedef void (*qlm_set_data_fn)(int32_t value); /* "SetData" */
typedef void (*qlm_run_fn)(void);               /* any name: PluginRun */

/* Transition plug-ins. All buffers hold width x height 32-bit pixels (0x00RRGGBB as above,
 * rows from the top, no padding), the size of the player window, and stay valid until the
 * transition ends. The player calls, each only when exported and in this order: "SetBuffer"
 * (the frame it shows), "SetBufferIn" (the old page), "SetBufferOut" (the new page), "SetDim",
 * "SetType"; then "Next" with the progress from 0 up to 1 for every frame, after which it shows
 * the frame buffer. */
typedef void (*qlm_set_buffer_fn)(uint32_t* pixels);           /* "SetBuffer" */
typedef void (*qlm_set_source_fn)(const uint32_t* pixels);     /* "SetBufferIn", "SetBufferOut" */
typedef void (*qlm_set_dim_fn)(int32_t width, int32_t height); /* "SetDim" */
typedef void (*qlm_set_type_fn)(int32_t variant);              /* "SetType" */
typedef void (*qlm_next_fn)(float progress);                   /* "Next" */

#ifdef __cplusplus
}
#endif

#endif /* QLM_PLUGIN_H */
