#pragma once

// The C interface of the browser module (qlm_browser.so), which the player loads the first time
// a page shows a web-browser object, so that presentations without one start without GTK and
// the web engine. One table of functions, found by its symbol; every call comes from the
// player's thread.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct QlmBrowser QlmBrowser;

typedef struct QlmBrowserCallbacks {
  void* user;
  // The page asks to go to `url` (a link, a form, a script, a redirect, a frame): 1 lets the
  // engine load it, 0 drops it. Addresses the player itself hands to load() come here too.
  int (*decide)(void* user, const char* url);
  // What the view shows changed: a new picture, address or title.
  void (*changed)(void* user);
  // 1: the view reaches the network from the start. 0: every load from the network fails
  // (pictures, style sheets and scripts a page embeds included) until decide() has let the view
  // go to an http or https address, which the user consented to.
  int network;
  // A print_pdf() ended: 1 when the file is complete, 0 when printing failed. May be null.
  void (*printed)(void* user, int ok);
} QlmBrowserCallbacks;

typedef struct QlmBrowserApi {
  // Opens the display; 0 when there is none (nothing else may be called then).
  int (*init)(void);
  // A view of width x height pixels; null when it cannot be made. `callbacks` is copied.
  QlmBrowser* (*create)(int width, int height, const QlmBrowserCallbacks* callbacks);
  void (*destroy)(QlmBrowser* view);
  void (*load)(QlmBrowser* view, const char* url);
  void (*back)(QlmBrowser* view);
  void (*forward)(QlmBrowser* view);
  void (*reload)(QlmBrowser* view);
  void (*stop)(QlmBrowser* view);
  // Prints the page to the PDF file `path` (a host path) without asking; 0 when it cannot
  // start. The file is written while pump() runs; callbacks->printed() says when it ended.
  int (*print_pdf)(QlmBrowser* view, const char* path);
  void (*resize)(QlmBrowser* view, int width, int height);
  // Copies the view into `argb` (width x height premultiplied 0xAARRGGBB, rows from the top);
  // 1 when a picture was copied, 0 when the view has none yet.
  int (*snapshot)(QlmBrowser* view, uint32_t* argb, int width, int height);
  // A click of the left button and a wheel turn (lines; positive: down) at (x, y) in the view.
  void (*click)(QlmBrowser* view, int x, int y);
  void (*scroll)(QlmBrowser* view, int x, int y, int lines);
  // The address shown now (UTF-8; valid until the next call into the module).
  const char* (*uri)(QlmBrowser* view);
  // Runs at most `iterations` pieces of pending work of the engine without waiting.
  void (*pump)(int iterations);
  // Gives the view the keyboard (1), as a window that becomes active, or takes it away (0).
  void (*focus)(QlmBrowser* view, int on);
  // A key that types no character went down (1) or up (0): a Windows virtual-key code (editing
  // and moving keys, function keys; letters and digits only with Control or Alt) with the
  // QLM_BROWSER_* modifier bits held. Other keys are ignored: what they type comes by type().
  void (*key)(QlmBrowser* view, uint32_t virtualKey, uint32_t modifiers, int down);
  // Characters typed (UTF-8), each pressed and released as its own key.
  void (*type)(QlmBrowser* view, const char* utf8);
} QlmBrowserApi;

#define QLM_BROWSER_SHIFT 1u
#define QLM_BROWSER_CONTROL 2u
#define QLM_BROWSER_ALT 4u

const QlmBrowserApi* qlm_browser_api(void);
typedef const QlmBrowserApi* (*QlmBrowserApiEntry)(void);

#define QLM_BROWSER_API_SYMBOL "qlm_browser_api"
#define QLM_BROWSER_MAX_SIDE 8192

#ifdef __cplusplus
}
#endif
