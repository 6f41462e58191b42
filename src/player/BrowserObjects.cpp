#include "player/BrowserObjects.h"

#include <algorithm>

#include "document/ObjectFields.h"
#include "platform/AsciiText.h"
#include "platform/EventLoop.h"
#include "player/BrowserAddress.h"

namespace qlm {

struct BrowserObjects::View {
  uint64_t serial = 0;
  const ObjectRecord* object = nullptr;
  // The engine's view; null when there is no engine (or it could not make one).
  std::unique_ptr<BrowserView> engine;
  // Without an engine: the addresses gone to, in order, and the one shown.
  std::vector<std::string> history;
  size_t current = 0;
  // Addresses the user let through once, until the engine asked for them.
  std::multiset<std::string> granted;
  // The engine's last picture and whether the page changed since.
  ArgbImage picture;
  bool hasPicture = false;
  bool stale = true;
  std::string shown;
  // The file the engine prints into, until it ended.
  std::optional<BrowserHost::PrintFile> printing;
};

BrowserObjects::BrowserObjects(EventLoop& loop, BrowserEngine* engine, BrowserHost& host)
    : loop_(loop), engine_(engine), host_(host) {}

BrowserObjects::~BrowserObjects() {
  Clear();
}

void BrowserObjects::Clear() {
  views_.clear();
  UpdatePumping();
}

void BrowserObjects::Rebind(const std::vector<const ObjectRecord*>& records,
                            std::vector<ObjectRecord>& objects, const std::vector<size_t>& from) {
  RebindHoldings(views_, records, objects, from);
  UpdatePumping();
}

BrowserObjects::View* BrowserObjects::Find(const ObjectRecord& object) {
  const auto it = views_.find(&object);
  return it == views_.end() ? nullptr : it->second.get();
}

BrowserObjects::View* BrowserObjects::FindBySerial(uint64_t serial) {
  for (auto& [object, view] : views_) {
    if (view->serial == serial)
      return view.get();
  }
  return nullptr;
}

void BrowserObjects::PagesShown(const std::vector<ObjectRecord*>& shown) {
  std::erase_if(views_, [&](const auto& entry) {
    return std::find(shown.begin(), shown.end(), entry.first) == shown.end();
  });
  for (ObjectRecord* object : shown) {
    if (object->typeCode != kObjBrowser || views_.contains(object))
      continue;
    auto view = std::make_unique<View>();
    View& v = *view;
    v.serial = nextSerial_++;
    v.object = object;
    views_.emplace(object, std::move(view));
    if (engine_) {
      const uint64_t serial = v.serial;
      BrowserView::Events events;
      // The engine calls back while it runs its work; the view may be gone by then.
      events.decide = [this, serial](const std::string& url) {
        View* target = FindBySerial(serial);
        return target && Decide(*target, url);
      };
      events.changed = [this, serial] {
        View* target = FindBySerial(serial);
        if (!target || !target->engine)
          return;
        target->stale = true;
        ShowAddress(*target, target->engine->Address());
        host_.Repaint(*target->object);
      };
      events.printed = [this, serial](bool ok) {
        View* target = FindBySerial(serial);
        if (!target || !target->printing)
          return;
        const BrowserHost::PrintFile file = std::move(*target->printing);
        target->printing.reset();
        host_.Printed(*target->object, file, ok);
      };
      events.network = host_.NetworkTrusted();
      v.engine = engine_->Create(object->rect.Width(), object->rect.Height(), std::move(events));
    }
    Open(v, host_.AddressOf(BrowserAddressText(*object)));
  }
  UpdatePumping();
}

void BrowserObjects::UpdatePumping() {
  const bool engineViews = std::any_of(views_.begin(), views_.end(), [](const auto& entry) {
    return entry.second->engine != nullptr;
  });
  if (engineViews && pumpSource_ == 0) {
    pumpSource_ = loop_.AddSource([this] { engine_->Pump(); });
  } else if (!engineViews && pumpSource_ != 0) {
    loop_.RemoveSource(pumpSource_);
    pumpSource_ = 0;
  }
}

void BrowserObjects::Open(View& view, const std::string& url) {
  if (url.empty())
    return;
  if (view.engine) {
    // The engine asks the policy before it loads.
    view.engine->Open(url);
    return;
  }
  if (!Decide(view, url))
    return;
  if (!view.history.empty())
    view.history.resize(view.current + 1);
  view.history.push_back(url);
  view.current = view.history.size() - 1;
  ShowAddress(view, url);
}

bool BrowserObjects::Decide(View& view, const std::string& url) {
  host_.AboutToOpen(url);
  if (IsPresentationLink(url)) {
    host_.FollowLink(url);
    return false;
  }
  if (IsSelfContainedAddress(url) || host_.InReach(url))
    return true;
  if (const auto it = view.granted.find(url); it != view.granted.end()) {
    view.granted.erase(it);
    return true;
  }
  host_.AskConsent(view.serial, url);
  return false;
}

void BrowserObjects::Answer(uint64_t serial, const std::string& url, bool granted) {
  View* view = FindBySerial(serial);
  if (!view || !granted)
    return;
  view->granted.insert(url);
  Open(*view, url);
}

void BrowserObjects::ShowAddress(View& view, const std::string& url) {
  if (url == view.shown)
    return;
  view.shown = url;
  host_.Shown(*view.object, url);
  host_.Repaint(*view.object);
}

bool BrowserObjects::Act(ObjectRecord& object, const std::string& action) {
  View* view = Find(object);
  if (!view)
    return false;
  const std::string keyword = AsciiLower(action);
  BrowserView* engine = view->engine.get();
  // Without an engine the list of addresses stands in for the engine's history.
  const auto step = [&](int direction) {
    if (engine) {
      direction < 0 ? engine->Back() : engine->Forward();
      return;
    }
    if (view->history.empty() || (direction < 0 && view->current == 0) ||
        (direction > 0 && view->current + 1 >= view->history.size()))
      return;
    view->current += direction;
    host_.AboutToOpen(view->history[view->current]);
    ShowAddress(*view, view->history[view->current]);
  };
  if (keyword == "back") {
    step(-1);
  } else if (keyword == "forward") {
    step(1);
  } else if (keyword == "refresh") {
    if (engine)
      engine->Reload();
    else if (!view->history.empty())
      host_.AboutToOpen(view->history[view->current]);
  } else if (keyword == "stop") {
    if (engine)
      engine->Stop();
  } else if (keyword == "print") {
    // Only a rendered page can be printed, one print of a view at a time. The engine lays the
    // page out into a PDF file, which then goes to the printer as every print job does.
    if (engine && !view->printing) {
      if (std::optional<BrowserHost::PrintFile> file = host_.PrintFileFor(object)) {
        if (engine->PrintToPdf(file->hostPath))
          view->printing = std::move(file);
        else
          host_.Printed(object, *file, false);
      }
    }
  } else if (keyword == "openfile") {
    if (const std::optional<std::string> file = host_.ChooseFile())
      Open(*view, host_.AddressOf(*file));
  } else {
    Open(*view, host_.AddressOf(action));
  }
  return true;
}

void BrowserObjects::Click(const ObjectRecord& object, int x, int y) {
  if (View* view = Find(object); view && view->engine)
    view->engine->Click(x, y);
}

void BrowserObjects::Scroll(const ObjectRecord& object, int x, int y, int lines) {
  if (View* view = Find(object); view && view->engine)
    view->engine->Scroll(x, y, lines);
}

void BrowserObjects::Press(const ObjectRecord* object) {
  View* view = object ? Find(*object) : nullptr;
  const uint64_t serial = view && view->engine ? view->serial : 0;
  if (serial == keysTo_)
    return;
  if (View* old = KeyView())
    old->engine->Focus(false);
  keysTo_ = serial;
  if (view && serial != 0)
    view->engine->Focus(true);
}

BrowserObjects::View* BrowserObjects::KeyView() {
  View* view = keysTo_ != 0 ? FindBySerial(keysTo_) : nullptr;
  if (!view || !view->engine || IsHidden(*view->object))
    return nullptr;
  return view;
}

bool BrowserObjects::Key(const KeyEvent& event) {
  View* view = KeyView();
  if (!view)
    return false;
  view->engine->Key(event.vk, event.modifiers, event.action == KeyAction::kDown);
  return true;
}

bool BrowserObjects::Type(const std::string& utf8) {
  View* view = KeyView();
  if (!view)
    return false;
  view->engine->Type(utf8);
  return true;
}

const ArgbImage* BrowserObjects::Picture(const ObjectRecord& object, int width, int height) {
  View* view = Find(object);
  if (!view || !view->engine || width <= 0 || height <= 0)
    return nullptr;
  if (view->picture.width != width || view->picture.height != height) {
    view->engine->Resize(width, height);
    view->stale = true;
  }
  if (view->stale) {
    view->hasPicture = view->engine->Snapshot(view->picture);
    view->stale = false;
  }
  return view->hasPicture ? &view->picture : nullptr;
}

std::string BrowserObjects::Address(const ObjectRecord& object) const {
  const auto it = views_.find(&object);
  return it == views_.end() ? std::string() : it->second->shown;
}

}  // namespace qlm
