// The player window's web-browser objects: their addresses go through the presentation's file
// system and trust policy, their pages are drawn into the frame by the normal paint, and their
// "page:" and "script:" links arrive as the window's link message.
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/TrustGate.h"
#include "player/BrowserAddress.h"
#include "player/HitTest.h"
#include "player/PlayerWindow.h"
#include "script/ScriptText.h"

namespace qlm {

class PlayerWindow::BrowserGlue : public PaintRuntime, public BrowserHost {
 public:
  explicit BrowserGlue(PlayerWindow& window) : window_(window) {}

  // PaintRuntime: the page's picture at the object's size, or the address for the frame.
  ObjectPaintState StateOf(const ObjectRecord& object) override {
    ObjectPaintState state;
    BrowserObjects& browsers = *window_.browsers_;
    state.webPage = browsers.Picture(object, object.rect.Width(), object.rect.Height());
    if (!state.webPage)
      state.webAddress = AddressLabel(browsers.Address(object));
    return state;
  }

  // BrowserHost.
  std::string AddressOf(const std::string& text) override {
    const std::string expanded = window_.macros_.Expand(std::string(Trim(text)));
    if (expanded.empty())
      return {};
    if (HasUrlScheme(expanded))
      return window_.ctx_.codePage.ToUtf8(expanded);
    const std::filesystem::path host = window_.ctx_.files.ToHost(expanded);
    return host.empty() ? std::string() : FileUrl(host);
  }
  void AboutToOpen(const std::string& url) override {
    window_.Variables().SetText("CBK_URLpath", window_.ctx_.codePage.FromUtf8(url));
  }
  void FollowLink(const std::string& link) override {
    // The engine is in the middle of its work: the link is carried out as a message.
    window_.ctx_.loop.PostMessage({player_message::kHtmlLink,
                                   0,
                                   0,
                                   {window_.ctx_.codePage.FromUtf8(PresentationLinkText(link))}});
  }
  bool InReach(const std::string& url) override {
    const std::optional<std::filesystem::path> path = FileUrlPath(url);
    if (!path)
      return false;
    FileSystem& files = window_.ctx_.files;
    return files.HostFileToRead(files.ToWindows(*path)).has_value();
  }
  void AskConsent(uint64_t serial, const std::string& url) override {
    window_.ctx_.loop.PostMessage(
        {player_message::kBrowserConsent, static_cast<int64_t>(serial), 0, {url}});
  }
  bool Consent(const std::string& url) override {
    TrustGate* gate = window_.ctx_.trust;
    return gate == nullptr || gate->PermitBrowse(url);
  }
  bool NetworkTrusted() override {
    const TrustGate* gate = window_.ctx_.trust;
    return gate == nullptr || gate->TrustsAll();
  }
  void Shown(const ObjectRecord& object, const std::string& url) override {
    if (window_.ctx_.events)
      window_.ctx_.events->OnBrowser(object.name, url);
  }
  void Repaint(const ObjectRecord& object) override {
    window_.Invalidate(window_.objectStates_.RectOf(object), false);
  }
  std::optional<std::string> PrintFile(const ObjectRecord& object) override {
    Dialogs& dialogs = window_.ctx_.dialogs;
    dialogs.SetNextFileTitle("Print to PDF");
    const std::optional<std::string> chosen =
        dialogs.ChooseFile(FileDialogMode::kSave, "PDF files (*.pdf)|*.pdf|", object.name + ".pdf");
    if (!chosen)
      return std::nullopt;
    // The file is made where the presentation may write (an overlay copy for its own folder),
    // and the engine writes the PDF over it.
    FileSystem& files = window_.ctx_.files;
    if (!files.WriteFile(*chosen, {}))
      return std::nullopt;
    const std::optional<std::filesystem::path> host = files.HostFileToRead(*chosen);
    if (!host)
      return std::nullopt;
    return host->string();
  }
  std::optional<std::string> ChooseFile() override {
    return window_.ctx_.dialogs.ChooseFile(
        FileDialogMode::kOpen, "HTML files (*.htm;*.html)|*.htm;*.html|All files|*.*|", {});
  }

 private:
  PlayerWindow& window_;
};

void PlayerWindow::InitBrowsers() {
  auto glue = std::make_unique<BrowserGlue>(*this);
  browsers_ = std::make_unique<BrowserObjects>(ctx_.loop, ctx_.browsers, *glue);
  paintRuntime_.SetBrowserPainter(glue.get());
  RegisterBrowserCommands(*runner_, *browsers_);
  browserGlue_ = std::move(glue);
}

void PlayerWindow::SetUpBrowsers() {
  std::vector<ObjectRecord*> shown;
  for (PageRecord* page : InputLayers(pages_)) {
    if (!page)
      continue;
    for (ObjectRecord& object : page->objects) {
      if (object.typeCode == kObjBrowser)
        shown.push_back(&object);
    }
  }
  browsers_->PagesShown(shown);
}

bool PlayerWindow::WheelObject(ObjectRecord& object, int x, int y, int notches) {
  if (object.typeCode != kObjBrowser || !browsers_->Holds(object))
    return false;
  const IntRect r = objectStates_.RectOf(object);
  // A notch away from the user scrolls up.
  browsers_->Scroll(object, x - r.left, y - r.top, -notches);
  return true;
}

void PlayerWindow::OnBrowserConsent(const WindowMessage& message) {
  if (message.texts.empty())
    return;
  const std::string& url = message.texts[0];
  browsers_->Answer(static_cast<uint64_t>(message.wParam), url, browserGlue_->Consent(url));
}

}  // namespace qlm
