#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "InputFixture.h"
#include "player/BrowserAddress.h"
#include "player/BrowserObjects.h"

namespace qlm {
namespace {

TEST(BrowserAddress, SchemesDrivesAndFileAddresses) {
  EXPECT_TRUE(HasUrlScheme("http://example.com/"));
  EXPECT_TRUE(HasUrlScheme("page:Two"));
  EXPECT_FALSE(HasUrlScheme("C:\\help\\index.html"));  // a drive, not a scheme
  EXPECT_FALSE(HasUrlScheme("help\\index.html"));
  EXPECT_FALSE(HasUrlScheme("1x:y"));
  EXPECT_TRUE(IsPresentationLink("PAGE:Two"));
  EXPECT_TRUE(IsPresentationLink("script:Greet"));
  EXPECT_FALSE(IsPresentationLink("pages:Two"));
  // Engines escape what a link's name holds; the page is named as the presentation names it.
  EXPECT_EQ(PresentationLinkText("PAGE:Two%20Pages"), "page:Two Pages");
  EXPECT_EQ(PresentationLinkText("script:100%"), "script:100%");

  // What the policy is asked about is the file the engine would open.
  const struct {
    const char* url;
    std::optional<std::string> path;
  } cases[] = {
      {"file:///show/help%20me.html?x=1#top", "/show/help me.html"},
      {"file://localhost/etc/passwd", "/etc/passwd"},
      {"FILE:///show/%2e%2e/etc/passwd", "/etc/passwd"},
      {"file:///show/../../etc/passwd", "/etc/passwd"},
      {"file://server/share/x.html", std::nullopt},
      {"file:///show/a%00.html", std::nullopt},
      {"file:relative.html", std::nullopt},
      {"https://example.com/", std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<std::filesystem::path> path = FileUrlPath(c.url);
    ASSERT_EQ(path.has_value(), c.path.has_value()) << c.url;
    if (path) {
      EXPECT_EQ(path->string(), *c.path) << c.url;
    }
  }
  const std::filesystem::path odd = "/show/100% \xC3\xA9t\xC3\xA9#1?.html";
  EXPECT_EQ(FileUrlPath(FileUrl(odd)), odd);
  EXPECT_EQ(AddressLabel(FileUrl(odd)), odd.filename().string());
  EXPECT_EQ(AddressLabel("https://example.com/a"), "https://example.com/a");
}

// A view that records what it is told; the test plays the engine's part through its events.
struct FakeView : BrowserView {
  explicit FakeView(Events e, int& alive) : events(std::move(e)), alive_(alive) { ++alive_; }
  ~FakeView() override { --alive_; }
  void Open(const std::string& url) override { calls.push_back("open " + url); }
  void Back() override { calls.push_back("back"); }
  void Forward() override { calls.push_back("forward"); }
  void Reload() override { calls.push_back("reload"); }
  void Stop() override { calls.push_back("stop"); }
  bool PrintToPdf(const std::string& path) override {
    calls.push_back("print " + path);
    return true;
  }
  void Resize(int, int) override {}
  bool Snapshot(ArgbImage&) override { return false; }
  void Click(int, int) override {}
  void Scroll(int, int, int) override {}
  void Focus(bool on) override { calls.push_back(on ? "focus" : "blur"); }
  void Key(uint32_t vk, const Modifiers&, bool down) override {
    calls.push_back((down ? "down " : "up ") + std::to_string(vk));
  }
  void Type(const std::string& text) override { calls.push_back("type " + text); }
  std::string Address() override { return {}; }
  Events events;
  std::vector<std::string> calls;
  int& alive_;
};

struct FakeEngine : BrowserEngine {
  std::unique_ptr<BrowserView> Create(int, int, BrowserView::Events events) override {
    auto view = std::make_unique<FakeView>(std::move(events), alive);
    last = view.get();
    return view;
  }
  void Pump() override { ++pumps; }
  FakeView* last = nullptr;
  int alive = 0;
  int pumps = 0;
};

// Files under /show are within reach; everything the policy does is written down.
struct RecordingHost : BrowserHost {
  std::string AddressOf(const std::string& text) override {
    return text.empty() || HasUrlScheme(text) ? text : "file:///show/" + text;
  }
  void AboutToOpen(const std::string& url) override { log.push_back("urlpath " + url); }
  void FollowLink(const std::string& link) override { log.push_back("link " + link); }
  bool InReach(const std::string& url) override { return url.starts_with("file:///show/"); }
  void AskConsent(uint64_t serial, const std::string& url) override {
    asked = serial;
    log.push_back("ask " + url);
  }
  void Shown(const ObjectRecord&, const std::string& url) override {
    log.push_back("shown " + url);
  }
  std::optional<PrintFile> PrintFileFor(const ObjectRecord&) override {
    return PrintFile{"C:\\Help.pdf", "/out/Help.pdf"};
  }
  void Printed(const ObjectRecord& object, const PrintFile& file, bool ok) override {
    log.push_back("printed " + object.name + " " + file.path + (ok ? " ok" : " failed"));
  }
  std::vector<std::string> log;
  uint64_t asked = 0;
};

ObjectRecord BrowserObject(const std::string& text) {
  ObjectRecord o = ObjectRecord::Fresh();
  o.typeCode = kObjBrowser;
  o.name = "Help";
  o.rect = {10, 10, 210, 110};
  o.text = text;
  return o;
}

TEST(BrowserObjects, EveryAddressTheEngineMeetsPassesThePolicy) {
  test::InputLoop loop;
  FakeEngine engine;
  RecordingHost host;
  BrowserObjects browsers(loop, &engine, host);
  ObjectRecord help = BrowserObject("index.html");
  browsers.PagesShown({&help});
  ASSERT_NE(engine.last, nullptr);
  FakeView& view = *engine.last;
  // The engine opens the object's address and asks about it as about any other.
  EXPECT_EQ(view.calls, std::vector<std::string>{"open file:///show/index.html"});
  EXPECT_TRUE(view.events.decide("file:///show/index.html"));
  EXPECT_FALSE(view.events.decide("page:Two"));
  EXPECT_FALSE(view.events.decide("script:Greet"));
  // Frames a page makes of its own content need no consent.
  EXPECT_TRUE(view.events.decide("about:srcdoc"));
  EXPECT_TRUE(view.events.decide("DATA:text/html,<p>hi</p>"));
  EXPECT_FALSE(view.events.decide("file:///etc/passwd"));
  EXPECT_EQ(host.log,
            (std::vector<std::string>{"urlpath file:///show/index.html", "urlpath page:Two",
                                      "link page:Two", "urlpath script:Greet", "link script:Greet",
                                      "urlpath about:srcdoc", "urlpath DATA:text/html,<p>hi</p>",
                                      "urlpath file:///etc/passwd", "ask file:///etc/passwd"}));
  // Consent lets the address through once, when the engine asks for it again.
  browsers.Answer(host.asked, "file:///etc/passwd", false);
  EXPECT_EQ(view.calls.size(), 1u);
  browsers.Answer(host.asked, "https://example.com/", true);
  EXPECT_EQ(view.calls.back(), "open https://example.com/");
  EXPECT_TRUE(view.events.decide("https://example.com/"));
  EXPECT_FALSE(view.events.decide("https://example.com/"));

  // The engine is pumped while a view lives, and the view closes with its page.
  loop.Run(10);
  EXPECT_GT(engine.pumps, 0);
  browsers.PagesShown({});
  EXPECT_EQ(engine.alive, 0);
  const int pumps = engine.pumps;
  loop.Run(10);
  EXPECT_EQ(engine.pumps, pumps);
}

TEST(BrowserObjects, BrowserActionsReachTheEngine) {
  test::InputLoop loop;
  FakeEngine engine;
  RecordingHost host;
  BrowserObjects browsers(loop, &engine, host);
  ObjectRecord help = BrowserObject("");
  browsers.PagesShown({&help});
  FakeView& view = *engine.last;
  for (const char* action : {"Back", "FORWARD", "refresh", "stop", "print", "other.html"})
    EXPECT_TRUE(browsers.Act(help, action));
  EXPECT_EQ(view.calls,
            (std::vector<std::string>{"back", "forward", "reload", "stop", "print /out/Help.pdf",
                                      "open file:///show/other.html"}));
  ObjectRecord elsewhere = BrowserObject("x.html");
  EXPECT_FALSE(browsers.Act(elsewhere, "back"));  // not on a shown page
}

// The engine prints a page into the host's file; when it ended, the host hears it once, and
// a second print of the view waits for the first.
TEST(BrowserObjects, APrintEndsAtTheHostOnceTheEngineFinished) {
  test::InputLoop loop;
  FakeEngine engine;
  RecordingHost host;
  BrowserObjects browsers(loop, &engine, host);
  ObjectRecord help = BrowserObject("");
  browsers.PagesShown({&help});
  FakeView& view = *engine.last;
  browsers.Act(help, "print");
  browsers.Act(help, "print");
  EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "print /out/Help.pdf"), 1);
  host.log.clear();
  view.events.printed(true);
  view.events.printed(true);
  EXPECT_EQ(host.log, (std::vector<std::string>{"printed Help C:\\Help.pdf ok"}));
  // Printing again after the end; a failure is told as such.
  browsers.Act(help, "print");
  view.events.printed(false);
  EXPECT_EQ(host.log.back(), "printed Help C:\\Help.pdf failed");
  // A view closed while its engine prints tells nobody.
  browsers.Act(help, "print");
  const BrowserView::Events events = view.events;
  browsers.PagesShown({});
  host.log.clear();
  events.printed(true);
  EXPECT_TRUE(host.log.empty());
}

// A press on a browser object gives its page the keys until a press elsewhere; a hidden object
// or one whose page went keeps none, and without an engine there is nothing to take them.
TEST(BrowserObjects, KeysGoToThePagePressedUntilAPressElsewhere) {
  test::InputLoop loop;
  FakeEngine engine;
  RecordingHost host;
  BrowserObjects browsers(loop, &engine, host);
  ObjectRecord help = BrowserObject("a.html");
  ObjectRecord other = BrowserObject("b.html");
  browsers.PagesShown({&help, &other});
  FakeView& second = *engine.last;
  const KeyEvent backspace{KeyAction::kDown, 0x08, {}};
  EXPECT_FALSE(browsers.Key(backspace));
  EXPECT_FALSE(browsers.Type("x"));

  browsers.Press(&other);
  browsers.Press(&other);  // already has them: no second focus
  EXPECT_TRUE(browsers.Key(backspace));
  EXPECT_TRUE(browsers.Key({KeyAction::kUp, 0x08, {}}));
  EXPECT_TRUE(browsers.Type("\xC3\xA9"));
  browsers.Press(nullptr);
  EXPECT_FALSE(browsers.Key(backspace));
  EXPECT_EQ(second.calls, (std::vector<std::string>{"open file:///show/b.html", "focus", "down 8",
                                                    "up 8", "type \xC3\xA9", "blur"}));

  browsers.Press(&other);
  SetHidden(other, true);
  EXPECT_FALSE(browsers.Key(backspace));
  SetHidden(other, false);
  EXPECT_TRUE(browsers.Key(backspace));
  browsers.PagesShown({&help});
  EXPECT_FALSE(browsers.Key(backspace));

  BrowserObjects headless(loop, nullptr, host);
  headless.PagesShown({&help});
  headless.Press(&help);
  EXPECT_FALSE(headless.Key(backspace));
}

TEST(BrowserObjects, WithoutAnEngineTheAddressesAreKeptAndReported) {
  test::InputLoop loop;
  RecordingHost host;
  BrowserObjects browsers(loop, nullptr, host);
  ObjectRecord help = BrowserObject("a.html");
  browsers.PagesShown({&help});
  browsers.Act(help, "b.html");
  browsers.Act(help, "back");
  browsers.Act(help, "back");    // nothing before the first
  browsers.Act(help, "c.html");  // drops b.html from the way forward
  browsers.Act(help, "forward");
  browsers.Act(help, "https://example.com/");
  EXPECT_EQ(browsers.Address(help), "file:///show/c.html");
  std::vector<std::string> shown;
  for (const std::string& line : host.log) {
    if (line.starts_with("shown ") || line.starts_with("ask "))
      shown.push_back(line);
  }
  EXPECT_EQ(shown,
            (std::vector<std::string>{"shown file:///show/a.html", "shown file:///show/b.html",
                                      "shown file:///show/a.html", "shown file:///show/c.html",
                                      "ask https://example.com/"}));
}

}  // namespace
}  // namespace qlm
