#pragma once

#include <functional>
#include <memory>
#include <string>

#include "graphics/MetafileRenderer.h"
#include "platform/EventLoop.h"

namespace qlm {

// One web page shown in a browser object's rectangle, rendered off-screen. Every call comes
// from the player's thread; the engine does its work when BrowserEngine::Pump runs.
class BrowserView {
 public:
  struct Events {
    // The page asks to go to an address (a link, a form, a script, a redirect, a frame, and the
    // addresses handed to Open): true lets the engine load it.
    std::function<bool(const std::string& url)> decide;
    // What the view shows changed: a new picture, address or title.
    std::function<void()> changed;
    // A PrintToPdf ended: true when the file is complete.
    std::function<void(bool ok)> printed;
    // The view reaches the network from the start; otherwise only once `decide` let it go to
    // a web address.
    bool network = false;
  };

  virtual ~BrowserView() = default;
  virtual void Open(const std::string& url) = 0;
  virtual void Back() = 0;
  virtual void Forward() = 0;
  virtual void Reload() = 0;
  virtual void Stop() = 0;
  // Prints the page into the PDF file at `hostPath`; false when printing cannot start.
  // Events::printed says when it ended.
  virtual bool PrintToPdf(const std::string& hostPath) = 0;
  virtual void Resize(int width, int height) = 0;
  // The page as it looks now, at the view's size; false when there is no picture yet.
  virtual bool Snapshot(ArgbImage& image) = 0;
  // A left click and a wheel turn (lines, positive down) at a point of the view.
  virtual void Click(int x, int y) = 0;
  virtual void Scroll(int x, int y, int lines) = 0;
  // The keyboard: the view takes it (or loses it); a key going down or up (a virtual-key code:
  // keys that type characters are left out, their text comes by Type); text typed (UTF-8).
  virtual void Focus(bool on) = 0;
  virtual void Key(uint32_t virtualKey, const Modifiers& modifiers, bool down) = 0;
  virtual void Type(const std::string& utf8) = 0;
  // The address shown now.
  virtual std::string Address() = 0;
};

// Makes browser views. The host's engine loads the first time a view is made, so that
// presentations without browser objects never load it.
class BrowserEngine {
 public:
  virtual ~BrowserEngine() = default;
  // A view of width x height pixels; null when no engine or no display is at hand.
  virtual std::unique_ptr<BrowserView> Create(int width, int height,
                                              BrowserView::Events events) = 0;
  // Runs the engine's pending work without waiting; the player calls it while views exist.
  virtual void Pump() = 0;
};

}  // namespace qlm
