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
    return files.IsFile(files.ToWindows(*path));
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
  std::optional<PrintFile> PrintFileFor(const ObjectRecord& /*object*/) override {
    if (!window_.ctx_.printer)
      return std::nullopt;
    // A file of the player's temporary folder, made first so that it has a host path, which
    // the engine writes the PDF over.
    const std::string path =
        window_.macros_.Expand("<Temp>\\qlm-print-" + std::to_string(++prints_) + ".pdf");
    FileSystem& files = window_.ctx_.files;
    if (!files.WriteFile(path, {}))
      return std::nullopt;
    const std::optional<std::filesystem::path> host = files.HostFileToRead(path);
    if (!host)
      return std::nullopt;
    return PrintFile{path, host->string()};
  }
  void Printed(const ObjectRecord& /*object*/, const PrintFile& file, bool ok) override {
    // Printing may ask the user: it happens once the engine's work is done.
    window_.ctx_.loop.PostMessage({player_message::kBrowserPrinted, ok ? 1 : 0, 0, {file.path}});
  }
  std::optional<std::string> ChooseFile() override {
    return window_.ctx_.dialogs.ChooseFile(
        FileDialogMode::kOpen, "HTML files (*.htm;*.html)|*.htm;*.html|All files|*.*|", {});
  }

 private:
  PlayerWindow& window_;
  int prints_ = 0;  // numbers the print files
};

void PlayerWindow::InitBrowsers() {
  auto glue = std::make_unique<BrowserGlue>(*this);
  browsers_ = std::make_unique<BrowserObjects>(ctx_.loop, ctx_.browsers, *glue);
  paintRuntime_.SetBrowserPainter(glue.get());
  RegisterBrowserCommands(*runner_, *browsers_);
  browserGlue_ = std::move(glue);
}

void PlayerWindow::SetUpBrowsers() {
  browsers_->PagesShown(ShownObjectsOfKind(pages_, kObjBrowser));
}

bool PlayerWindow::WheelObject(ObjectRecord& object, int x, int y, int notches) {
  if (object.typeCode != kObjBrowser || !browsers_->Holds(object))
    return false;
  const IntRect r = objectStates_.RectOf(object);
  // A notch away from the user scrolls up.
  browsers_->Scroll(object, x - r.left, y - r.top, -notches);
  return true;
}

void PlayerWindow::OnBrowserPrinted(const WindowMessage& message) {
  if (message.texts.empty())
    return;
  const std::string& path = message.texts[0];
  std::optional<std::string> pdf = ctx_.files.ReadFile(path);
  ctx_.files.Remove(path);
  const int pages = pdf ? CountPdfPages(*pdf) : 0;
  if (message.wParam == 0 || pages == 0) {
    ctx_.dialogs.MessageBox("Cannot print:\nthe web page could not be laid out for printing",
                            "Print", mb::kOk | mb::kIconError);
    return;
  }
  Print({.what = "browser",
         .title = PrintTitle(),
         .layout = [document = PrintedDocument{std::move(*pdf), pages}](const PaperSize&) {
           return document;
         }});
}

void PlayerWindow::OnBrowserConsent(const WindowMessage& message) {
  if (message.texts.empty())
    return;
  const std::string& url = message.texts[0];
  browsers_->Answer(static_cast<uint64_t>(message.wParam), url, browserGlue_->Consent(url));
}

}  // namespace qlm
