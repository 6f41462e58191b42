#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "document/ObjectRecord.h"
#include "graphics/MetafileRenderer.h"
#include "platform/BrowserEngine.h"
#include "player/ObjectHoldings.h"

namespace qlm {

class EventLoop;
class ScriptRunner;
struct KeyEvent;

// What browser objects need from the player window. The defaults reach nothing: no address
// loads, no link is followed, nothing is asked or chosen.
class BrowserHost {
 public:
  virtual ~BrowserHost() = default;
  // The address a browser object's text or a Browser command names: path macros applied, a
  // path made a "file:" address of its host path; empty when it names nothing.
  virtual std::string AddressOf(const std::string& text) { return text; }
  // Before every navigation: CBK_URLpath receives the address.
  virtual void AboutToOpen(const std::string& /*url*/) {}
  // A "page:" or "script:" link: the window carries it out once the engine's work is done.
  virtual void FollowLink(const std::string& /*link*/) {}
  // Whether the address loads without asking: a file within the presentation's reach.
  virtual bool InReach(const std::string& /*url*/) { return false; }
  // Asks later (outside the engine's work) whether `url` may load in the view `serial`; the
  // window answers with BrowserObjects::Answer.
  virtual void AskConsent(uint64_t /*serial*/, const std::string& /*url*/) {}
  // Whether the user lets the presentation open `url`; false reports a block.
  virtual bool Consent(const std::string& /*url*/) { return false; }
  // Whether pages reach the network without asking (the presentation is trusted with all).
  virtual bool NetworkTrusted() { return false; }
  // The object shows another address (reported in the automation output).
  virtual void Shown(const ObjectRecord& /*object*/, const std::string& /*url*/) {}
  virtual void Repaint(const ObjectRecord& /*object*/) {}
  // A file for the engine to print a page into before the page goes to the printer: the
  // path as scripts name files and its host path; nullopt when there is none.
  struct PrintFile {
    std::string path;
    std::string hostPath;
  };
  virtual std::optional<PrintFile> PrintFileFor(const ObjectRecord& /*object*/) {
    return std::nullopt;
  }
  // The engine ended printing the object's page into `file`: `ok` when the file is complete.
  virtual void Printed(const ObjectRecord& /*object*/, const PrintFile& /*file*/, bool /*ok*/) {}
  // A file the user chose to open in the object, as scripts name files, or nullopt.
  virtual std::optional<std::string> ChooseFile() { return std::nullopt; }
};

// The web-browser objects (kind 25) of the shown pages. With an engine each object holds an
// off-screen view at its size whose picture is drawn into the page; without one (headless, no
// display, no engine) each keeps its own list of addresses and draws a frame with the address
// it shows. Either way every address passes one policy: CBK_URLpath first, then "page:" and
// "script:" links go to the presentation, files within its reach load, anything else only with
// the user's consent.
class BrowserObjects {
 public:
  BrowserObjects(EventLoop& loop, BrowserEngine* engine, BrowserHost& host);
  ~BrowserObjects();
  BrowserObjects(const BrowserObjects&) = delete;
  BrowserObjects& operator=(const BrowserObjects&) = delete;

  // The browser objects of the shown layers: objects that came open their text's address,
  // objects that went are closed.
  void PagesShown(const std::vector<ObjectRecord*>& shown);
  // An edit of a page's object list moved its objects: `records` are the addresses before,
  // `objects` the list after and `from[j]` the old position of object j (or none).
  void Rebind(const std::vector<const ObjectRecord*>& records, std::vector<ObjectRecord>& objects,
              const std::vector<size_t>& from);
  // Closes every view (the project goes).
  void Clear();

  // The Browser command: "back", "forward", "refresh", "stop", "print", "openfile" (any case),
  // or an address to go to. False when the object is not an open browser object.
  bool Act(ObjectRecord& object, const std::string& action);
  // A left click at (x, y) in the object's rectangle; a wheel turn there (lines, positive
  // down).
  void Click(const ObjectRecord& object, int x, int y);
  void Scroll(const ObjectRecord& object, int x, int y, int lines);
  // The keyboard. A left press on a browser object gives its page the keys; a press anywhere
  // else (null: on no browser object) takes them away. While a shown page has them, keys and
  // typed text go to it and true says they were taken.
  void Press(const ObjectRecord* object);
  bool Key(const KeyEvent& event);
  bool Type(const std::string& utf8);

  // The answer to AskConsent.
  void Answer(uint64_t serial, const std::string& url, bool granted);

  // For drawing: the page's picture at width x height, or null when there is none (then the
  // frame with Address is drawn).
  const ArgbImage* Picture(const ObjectRecord& object, int width, int height);
  // The address the object shows; empty when none.
  std::string Address(const ObjectRecord& object) const;
  bool Holds(const ObjectRecord& object) const { return views_.contains(&object); }

 private:
  struct View;
  View* Find(const ObjectRecord& object);
  // The view made with `serial`; null once it is gone (the engine may call back after that).
  View* FindBySerial(uint64_t serial);
  void Open(View& view, const std::string& url);
  // The policy every address passes; true when the engine may load it.
  bool Decide(View& view, const std::string& url);
  void ShowAddress(View& view, const std::string& url);
  void UpdatePumping();
  // The view that has the keys, while its object is shown.
  View* KeyView();

  EventLoop& loop_;
  BrowserEngine* engine_;
  BrowserHost& host_;
  ObjectHoldings<View> views_;
  uint64_t nextSerial_ = 1;
  int pumpSource_ = 0;
  uint64_t keysTo_ = 0;  // serial of the view that has the keys; 0: none
};

// Installs the Browser command over `browsers`.
void RegisterBrowserCommands(ScriptRunner& runner, BrowserObjects& browsers);

}  // namespace qlm
