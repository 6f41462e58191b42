// The browser module: WebKitGTK views rendered off-screen. Each view is a WebKitWebView in a
// GtkOffscreenWindow at the object's size; the player copies the window's surface into the
// object's rectangle when it paints, so the page is part of the frame (objects above cover it,
// screenshots show it). GLib's work runs when the player pumps it, never on a thread of its own.
#include "browsermodule/BrowserModule.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

struct QlmBrowser {
  GtkWidget* window = nullptr;
  WebKitWebView* view = nullptr;
  WebKitWebsiteDataManager* data = nullptr;
  QlmBrowserCallbacks callbacks{};
  bool network = false;
  // Print operations not yet ended; each holds a reference of its own.
  std::vector<WebKitPrintOperation*> printing;
  std::string uri;
};

namespace {

// Without the network every load from it goes to a proxy that does not exist, so it fails:
// a page of the presentation cannot fetch from a web server, whatever it embeds or runs.
constexpr const char* kNoNetwork = "http://127.0.0.1:9";

void SetNetwork(QlmBrowser* browser, bool on) {
  browser->network = on;
  if (on) {
    webkit_website_data_manager_set_network_proxy_settings(
        browser->data, WEBKIT_NETWORK_PROXY_MODE_DEFAULT, nullptr);
    return;
  }
  WebKitNetworkProxySettings* proxy = webkit_network_proxy_settings_new(kNoNetwork, nullptr);
  webkit_website_data_manager_set_network_proxy_settings(browser->data,
                                                         WEBKIT_NETWORK_PROXY_MODE_CUSTOM, proxy);
  webkit_network_proxy_settings_free(proxy);
}

bool IsWebAddress(const char* uri) {
  return g_ascii_strncasecmp(uri, "http:", 5) == 0 || g_ascii_strncasecmp(uri, "https:", 6) == 0;
}

void Changed(QlmBrowser* browser) {
  if (browser->callbacks.changed)
    browser->callbacks.changed(browser->callbacks.user);
}

gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                        WebKitPolicyDecisionType type, gpointer data) {
  auto* browser = static_cast<QlmBrowser*>(data);
  if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE)
    return FALSE;
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  WebKitURIRequest* request = webkit_navigation_action_get_request(action);
  const char* uri = webkit_uri_request_get_uri(request);
  const bool allowed = uri && browser->callbacks.decide &&
                       browser->callbacks.decide(browser->callbacks.user, uri) != 0;
  // A web address the user let the view go to opens the network for it.
  if (allowed && !browser->network && IsWebAddress(uri))
    SetNetwork(browser, true);
  // A new window (target="_blank") opens in this view when the address is allowed.
  if (allowed && type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
    webkit_policy_decision_ignore(decision);
    webkit_web_view_load_uri(browser->view, uri);
    return TRUE;
  }
  if (allowed)
    webkit_policy_decision_use(decision);
  else
    webkit_policy_decision_ignore(decision);
  return TRUE;
}

gboolean OnDamage(GtkWidget*, GdkEvent*, gpointer data) {
  Changed(static_cast<QlmBrowser*>(data));
  return FALSE;
}

void OnNotify(GObject*, GParamSpec*, gpointer data) {
  Changed(static_cast<QlmBrowser*>(data));
}

// No dialogs, menus or permission prompts of the engine's own: the page stays in its rectangle.
gboolean Refuse(WebKitWebView*, gpointer, gpointer) {
  return TRUE;
}
gboolean OnPermission(WebKitWebView*, WebKitPermissionRequest* request, gpointer) {
  webkit_permission_request_deny(request);
  return TRUE;
}

int Init() {
  // The player's locale stays as it is: numbers in scripts and texts of the window system
  // must not change their form when the engine comes up.
  static const bool opened = (gtk_disable_setlocale(), gtk_init_check(nullptr, nullptr));
  return opened ? 1 : 0;
}

WebKitSettings* LockedSettings() {
  WebKitSettings* settings = webkit_settings_new();
  // A file page reaches only itself: no reading other files, no universal access, no plug-ins,
  // no developer tools, no pop-ups opened by scripts.
  webkit_settings_set_allow_file_access_from_file_urls(settings, FALSE);
  webkit_settings_set_allow_universal_access_from_file_urls(settings, FALSE);
  webkit_settings_set_enable_developer_extras(settings, FALSE);
  webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
  webkit_settings_set_enable_html5_database(settings, FALSE);
  webkit_settings_set_enable_html5_local_storage(settings, FALSE);
  webkit_settings_set_enable_page_cache(settings, FALSE);
  webkit_settings_set_hardware_acceleration_policy(settings,
                                                   WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
  return settings;
}

QlmBrowser* Create(int width, int height, const QlmBrowserCallbacks* callbacks) {
  if (width <= 0 || height <= 0 || width > QLM_BROWSER_MAX_SIDE || height > QLM_BROWSER_MAX_SIDE)
    return nullptr;
  auto* browser = new QlmBrowser;
  browser->callbacks = *callbacks;
  // An ephemeral context: nothing a page stores (cookies, caches) outlives the player.
  WebKitWebsiteDataManager* data = webkit_website_data_manager_new_ephemeral();
  WebKitWebContext* context = webkit_web_context_new_with_website_data_manager(data);
  browser->data = data;  // the context holds it for as long as the view lives
  SetNetwork(browser, callbacks->network != 0);
  g_object_unref(data);
  WebKitSettings* settings = LockedSettings();
  browser->view = WEBKIT_WEB_VIEW(
      g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "settings", settings, nullptr));
  g_object_unref(settings);
  g_object_unref(context);
  browser->window = gtk_offscreen_window_new();
  gtk_window_set_default_size(GTK_WINDOW(browser->window), width, height);
  gtk_widget_set_size_request(GTK_WIDGET(browser->view), width, height);
  gtk_container_add(GTK_CONTAINER(browser->window), GTK_WIDGET(browser->view));
  g_signal_connect(browser->view, "decide-policy", G_CALLBACK(OnDecidePolicy), browser);
  g_signal_connect(browser->view, "notify::uri", G_CALLBACK(OnNotify), browser);
  g_signal_connect(browser->view, "notify::title", G_CALLBACK(OnNotify), browser);
  g_signal_connect(browser->view, "script-dialog", G_CALLBACK(Refuse), nullptr);
  g_signal_connect(browser->view, "context-menu", G_CALLBACK(Refuse), nullptr);
  g_signal_connect(browser->view, "print", G_CALLBACK(Refuse), nullptr);
  g_signal_connect(browser->view, "permission-request", G_CALLBACK(OnPermission), nullptr);
  g_signal_connect(browser->window, "damage-event", G_CALLBACK(OnDamage), browser);
  gtk_widget_show_all(browser->window);
  return browser;
}

void Destroy(QlmBrowser* browser) {
  if (!browser)
    return;
  g_signal_handlers_disconnect_by_data(browser->view, browser);
  g_signal_handlers_disconnect_by_data(browser->window, browser);
  // Operations still running end without anyone to tell.
  for (WebKitPrintOperation* operation : browser->printing) {
    g_signal_handlers_disconnect_by_data(operation, browser);
    g_signal_connect(operation, "finished",
                     G_CALLBACK(+[](WebKitPrintOperation* op, gpointer) { g_object_unref(op); }),
                     nullptr);
  }
  gtk_widget_destroy(browser->window);
  delete browser;
}

void Load(QlmBrowser* browser, const char* url) {
  webkit_web_view_load_uri(browser->view, url);
}
void Back(QlmBrowser* browser) {
  webkit_web_view_go_back(browser->view);
}
void Forward(QlmBrowser* browser) {
  webkit_web_view_go_forward(browser->view);
}
void Reload(QlmBrowser* browser) {
  webkit_web_view_reload(browser->view);
}
void Stop(QlmBrowser* browser) {
  webkit_web_view_stop_loading(browser->view);
}

int PrintPdf(QlmBrowser* browser, const char* path) {
  GError* error = nullptr;
  gchar* uri = g_filename_to_uri(path, nullptr, &error);
  if (!uri) {
    g_clear_error(&error);
    return 0;
  }
  GtkPrintSettings* settings = gtk_print_settings_new();
  gtk_print_settings_set_printer(settings, "Print to File");
  gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_FILE_FORMAT, "pdf");
  gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_URI, uri);
  g_free(uri);
  WebKitPrintOperation* operation = webkit_print_operation_new(browser->view);
  webkit_print_operation_set_print_settings(operation, settings);
  g_object_unref(settings);
  browser->printing.push_back(operation);
  // A failure comes before "finished": remember it, tell the player once it finished, and drop
  // our reference then.
  g_signal_connect(operation, "failed",
                   G_CALLBACK(+[](WebKitPrintOperation* op, GError*, gpointer) {
                     g_object_set_data(G_OBJECT(op), "qlm-failed", GINT_TO_POINTER(1));
                   }),
                   nullptr);
  g_signal_connect(operation, "finished", G_CALLBACK(+[](WebKitPrintOperation* op, gpointer user) {
                     auto* self = static_cast<QlmBrowser*>(user);
                     std::erase(self->printing, op);
                     const bool ok = g_object_get_data(G_OBJECT(op), "qlm-failed") == nullptr;
                     g_object_unref(op);
                     if (self->callbacks.printed)
                       self->callbacks.printed(self->callbacks.user, ok ? 1 : 0);
                   }),
                   browser);
  webkit_print_operation_print(operation);
  return 1;
}

void Resize(QlmBrowser* browser, int width, int height) {
  if (width <= 0 || height <= 0 || width > QLM_BROWSER_MAX_SIDE || height > QLM_BROWSER_MAX_SIDE)
    return;
  gtk_widget_set_size_request(GTK_WIDGET(browser->view), width, height);
  gtk_window_resize(GTK_WINDOW(browser->window), width, height);
}

int Snapshot(QlmBrowser* browser, uint32_t* argb, int width, int height) {
  cairo_surface_t* surface =
      gtk_offscreen_window_get_surface(GTK_OFFSCREEN_WINDOW(browser->window));
  if (!surface)
    return 0;
  cairo_surface_t* target = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(argb), CAIRO_FORMAT_ARGB32, width, height,
      width * static_cast<int>(sizeof(uint32_t)));
  cairo_t* cr = cairo_create(target);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(target);
  cairo_surface_destroy(target);
  return 1;
}

enum class Device { kPointer, kKeyboard };

// Input goes straight to the view as the events a window system would deliver to it: an event
// of `type` for the view's window from the pointer or the keyboard, to be filled in and sent
// with Send. Not through the off-screen window: a top-level window that gains the focus asks
// the X server about the pointer over itself, and an off-screen window is no X window.
GdkEvent* NewEvent(QlmBrowser* browser, GdkEventType type, Device device = Device::kPointer) {
  GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(browser->view));
  if (!window)
    return nullptr;
  GdkEvent* event = gdk_event_new(type);
  event->any.window = GDK_WINDOW(g_object_ref(window));
  event->any.send_event = TRUE;
  GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window));
  gdk_event_set_device(
      event, device == Device::kPointer ? gdk_seat_get_pointer(seat) : gdk_seat_get_keyboard(seat));
  return event;
}

void Send(QlmBrowser* browser, GdkEvent* event) {
  gtk_widget_event(GTK_WIDGET(browser->view), event);
  gdk_event_free(event);
}

void SendButton(QlmBrowser* browser, GdkEventType type, int x, int y) {
  GdkEvent* event = NewEvent(browser, type);
  if (!event)
    return;
  event->button.time = GDK_CURRENT_TIME;
  event->button.x = x;
  event->button.y = y;
  event->button.button = 1;
  event->button.state = type == GDK_BUTTON_RELEASE ? GDK_BUTTON1_MASK : 0;
  Send(browser, event);
}

void Click(QlmBrowser* browser, int x, int y) {
  SendButton(browser, GDK_BUTTON_PRESS, x, y);
  SendButton(browser, GDK_BUTTON_RELEASE, x, y);
}

void Scroll(QlmBrowser* browser, int x, int y, int lines) {
  GdkEvent* event = lines != 0 ? NewEvent(browser, GDK_SCROLL) : nullptr;
  if (!event)
    return;
  event->scroll.time = GDK_CURRENT_TIME;
  event->scroll.x = x;
  event->scroll.y = y;
  event->scroll.direction = GDK_SCROLL_SMOOTH;
  event->scroll.delta_y = lines;
  Send(browser, event);
}

void Focus(QlmBrowser* browser, int on) {
  GdkEvent* event = NewEvent(browser, GDK_FOCUS_CHANGE, Device::kKeyboard);
  if (!event)
    return;
  event->focus_change.in = on ? TRUE : FALSE;
  if (on)
    gtk_widget_grab_focus(GTK_WIDGET(browser->view));
  gtk_widget_send_focus_change(GTK_WIDGET(browser->view), event);
  gdk_event_free(event);
}

void SendKey(QlmBrowser* browser, guint keyval, guint state, bool down) {
  GdkEvent* event = NewEvent(browser, down ? GDK_KEY_PRESS : GDK_KEY_RELEASE, Device::kKeyboard);
  if (!event)
    return;
  event->key.time = GDK_CURRENT_TIME;
  event->key.state = state;
  event->key.keyval = keyval;
  // The key that makes the keyval on this keyboard, so that pages see its code too.
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(event->key.window));
  if (gdk_keymap_get_entries_for_keyval(keymap, keyval, &keys, &count) && count > 0) {
    event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    event->key.group = static_cast<guint8>(keys[0].group);
  }
  g_free(keys);
  char text[8] = {};
  if (const gunichar ch = gdk_keyval_to_unicode(keyval); ch >= 0x20 && ch != 0x7F)
    g_unichar_to_utf8(ch, text);
  event->key.string = g_strdup(text);
  event->key.length = static_cast<gint>(std::strlen(text));
  Send(browser, event);
}

// The keyval of a Windows virtual-key code that types no character; 0 for others.
guint KeyvalOf(uint32_t virtualKey, uint32_t modifiers) {
  static constexpr struct {
    uint32_t virtualKey;
    guint keyval;
  } kKeys[] = {{0x08, GDK_KEY_BackSpace}, {0x09, GDK_KEY_Tab},     {0x0D, GDK_KEY_Return},
               {0x1B, GDK_KEY_Escape},    {0x21, GDK_KEY_Page_Up}, {0x22, GDK_KEY_Page_Down},
               {0x23, GDK_KEY_End},       {0x24, GDK_KEY_Home},    {0x25, GDK_KEY_Left},
               {0x26, GDK_KEY_Up},        {0x27, GDK_KEY_Right},   {0x28, GDK_KEY_Down},
               {0x2D, GDK_KEY_Insert},    {0x2E, GDK_KEY_Delete}};
  for (const auto& k : kKeys) {
    if (k.virtualKey == virtualKey)
      return k.virtualKey == 0x09 && (modifiers & QLM_BROWSER_SHIFT) ? GDK_KEY_ISO_Left_Tab
                                                                     : k.keyval;
  }
  if (virtualKey >= 0x70 && virtualKey <= 0x87)  // F1 to F24
    return GDK_KEY_F1 + (virtualKey - 0x70);
  // Letters and digits are shortcuts (Control+A, Alt+1) only with Control or Alt.
  const bool letter = virtualKey >= 'A' && virtualKey <= 'Z';
  const bool digit = virtualKey >= '0' && virtualKey <= '9';
  if ((letter || digit) && (modifiers & (QLM_BROWSER_CONTROL | QLM_BROWSER_ALT)))
    return letter ? GDK_KEY_a + (virtualKey - 'A') : GDK_KEY_0 + (virtualKey - '0');
  return 0;
}

void Key(QlmBrowser* browser, uint32_t virtualKey, uint32_t modifiers, int down) {
  const guint keyval = KeyvalOf(virtualKey, modifiers);
  if (keyval == 0)
    return;
  guint state = 0;
  if (modifiers & QLM_BROWSER_SHIFT)
    state |= GDK_SHIFT_MASK;
  if (modifiers & QLM_BROWSER_CONTROL)
    state |= GDK_CONTROL_MASK;
  if (modifiers & QLM_BROWSER_ALT)
    state |= GDK_MOD1_MASK;
  SendKey(browser, keyval, state, down != 0);
}

void Type(QlmBrowser* browser, const char* utf8) {
  if (!utf8 || !g_utf8_validate(utf8, -1, nullptr))
    return;
  for (const char* p = utf8; *p; p = g_utf8_next_char(p)) {
    const gunichar ch = g_utf8_get_char(p);
    if (ch < 0x20 || ch == 0x7F)
      continue;  // control characters come as keys
    const guint keyval = gdk_unicode_to_keyval(ch);
    SendKey(browser, keyval, 0, true);
    SendKey(browser, keyval, 0, false);
  }
}

const char* Uri(QlmBrowser* browser) {
  const char* uri = webkit_web_view_get_uri(browser->view);
  browser->uri = uri ? uri : "";
  return browser->uri.c_str();
}

void Pump(int iterations) {
  for (int i = 0; i < iterations && g_main_context_iteration(nullptr, FALSE); ++i) {
  }
}

constexpr QlmBrowserApi kApi = {Init,   Create, Destroy,  Load,   Back,     Forward,
                                Reload, Stop,   PrintPdf, Resize, Snapshot, Click,
                                Scroll, Uri,    Pump,     Focus,  Key,      Type};

}  // namespace

extern "C" __attribute__((visibility("default"))) const QlmBrowserApi* qlm_browser_api(void) {
  return &kApi;
}
