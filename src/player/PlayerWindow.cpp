#include "player/PlayerWindow.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <system_error>
#include <tuple>

#include "document/PagePictures.h"
#include "document/StandaloneContainer.h"
#include "graphics/SaturatingRect.h"
#include "platform/Display.h"
#include "platform/FileSystem.h"
#include "platform/KeyNames.h"
#include "platform/ProfileStore.h"
#include "platform/SystemInformation.h"
#include "player/ClickAction.h"
#include "player/ClientSize.h"
#include "player/EmbeddedFiles.h"
#include "player/KeyShortcut.h"
#include "script/ScriptCompiler.h"

namespace qlm {
namespace {

std::string Format(const char* pattern, const LocalDateTime& now) {
  const std::tm tm = now.ToTm();
  char buffer[128];
  const size_t n = std::strftime(buffer, sizeof buffer, pattern, &tm);
  return std::string(buffer, n);
}

// True when the file starts like a project document (its header string holds the magic word)
// or is a stand-alone file.
bool LooksLikeProject(const FileSystem& files, const std::string& path) {
  const FileSystem::Opened opened = files.OpenRead(path);
  if (!opened.file)
    return false;
  uint8_t head[64] = {};
  const size_t n = static_cast<size_t>(std::min<uint64_t>(sizeof head, opened.file->Size()));
  if (!opened.file->ReadAt(0, std::span(head, n)))
    return false;
  const std::string_view text(reinterpret_cast<const char*>(head), n);
  if (text.find(StandaloneContainer::kMagicWord) != std::string_view::npos)
    return true;
  return IsStandaloneFile(*opened.file);
}

}  // namespace

// A page object that shows a system variable: its text is replaced and its rectangle repainted.
class PlayerWindow::BoundObject : public BoundTextObject {
 public:
  explicit BoundObject(PlayerWindow& window) : window_(window) {}
  void Bind(ObjectRecord* object) { object_ = object; }
  void SetText(const std::string& text) override {
    if (object_)
      object_->text = text;
  }
  void RepaintRect() override {
    if (object_)
      window_.Invalidate(InflatedRect(object_->rect, 1), true);
  }

 private:
  PlayerWindow& window_;
  ObjectRecord* object_ = nullptr;
};

PlayerWindow::PlayerWindow(PlayerContext& context)
    : ctx_(context),
      load_(context.dialogs),
      evaluator_(&context.loop.GetClock()),
      macros_(ctx_.folders, ""),
      geometry_(
          context.display, context.profile, [this] { ClientResized(); },
          [this] { InvalidateAll(true); }),
      runner_(std::make_unique<ScriptRunner>(
          ScriptRoles{*this, *this, *this, geometry_, *this, *this})),
      bound_(std::make_unique<BoundObject>(*this)),
      gifs_(
          context.loop, pages_, objectStates_,
          [this](const ObjectRecord& o) {
            if (ObjectPainter::IsShown(o))
              Invalidate(objectStates_.RectOf(o), false);
          },
          [this](const ObjectRecord& o) {
            // An animation that ran out of loops runs its end script.
            if (!ObjectScript(o, ScriptSlot::kNotifyA).Empty())
              RunObjectScript(o, ScriptSlot::kNotifyA);
          }),
      composer_(context.codePage),
      paintRuntime_(pages_, objectStates_),
      bubble_(context.loop, composer_.Fonts(), ctx_.codePage,
              [this](const IntRect& r) { Invalidate(r, false); }),
      input_(pages_, objectStates_, bubble_, context.display, context.loop, *runner_, *this) {
  load_.profile = &ctx_.profile;
  load_.codePage = &ctx_.codePage;
  pictures_ = std::make_shared<PictureStore>(ctx_.imageCacheBytes);
  pictures_->SetDialogs(&ctx_.dialogs);
  load_.pictures = pictures_;
  // Opening reads the first page; the others are read when first needed or ahead of use.
  load_.deferPages = true;
  evaluator_.SetOwner(this);
  evaluator_.SetPathMacros(&macros_);
  evaluator_.SetFileSystem(&ctx_.files);
  if (ctx_.seed)
    evaluator_.SeedRandom(*ctx_.seed);
  pages_.SetOwner(this);
  pages_.SetDialogs(&ctx_.dialogs);
  RegisterCoreCommands(*runner_);
  InitControls();
  RegisterAnimationCommands(*runner_, gifs_);
  paintRuntime_.SetAnimations(&gifs_);
  composer_.Objects().SetMetafileRenderer(ctx_.metafiles);
  InitMedia();
  InitVideos();
  InitPlugins();
  InitBrowsers();
  InitPrinting();
  InitPrograms();
}

PlayerWindow::~PlayerWindow() {
  if (!destroyed_)
    ShutDown();
}

void PlayerWindow::SetSourcePath(std::string windowsPath) {
  macros_.SetExecutablePath(std::move(windowsPath));
  macros_.Reset();
}

// ---------------------------------------------------------------------------------------------
// Projects

bool PlayerWindow::OpenDocument(const std::string& path, const std::string& shownName) {
  load_.quietOpen = quietOpen_;
  load_.sourceName.clear();
  const FileSystem::Opened opened = ctx_.files.OpenRead(path);
  const std::string name = shownName.empty() ? opened.hostPath.string() : shownName;
  // A stand-alone file opens through its container, as if it were the player's own executable.
  if (opened.file && IsStandaloneFile(*opened.file)) {
    StandaloneReadResult container = ReadStandaloneContainer(opened.file.get(), name);
    if (container.container)
      return OpenProjectBytes(container.container->Project(), name);
  }
  return Adopt(LoadProjectFile(opened.file.get(), name, load_, pages_.GetProject().settings));
}

bool PlayerWindow::OpenProjectBytes(const SharedBytes& bytes, const std::string& sourceName) {
  load_.quietOpen = quietOpen_;
  load_.sourceName = sourceName;
  LoadResult result = LoadProjectFromMemory(bytes, load_, pages_.GetProject().settings);
  load_.sourceName.clear();
  return Adopt(std::move(result));
}

bool PlayerWindow::OpenProject(Project project) {
  LoadResult result;
  result.status = LoadStatus::Loaded;
  result.project = std::move(project);
  return Adopt(std::move(result));
}

bool PlayerWindow::Adopt(LoadResult result) {
  lastLoad_ = result.status;
  if (!result.Ok())
    return false;
  // The project is complete: only now does the old one go, so a failed read loses nothing.
  runner_->KillScriptTimers();
  StopTransition();
  if (hasProject_ && initialized_)
    LeaveCurrentPage();
  pages_.StopPages();
  media_->CloseAll();
  speech_->Stop();
  EmbeddedFiles::Remove(ctx_.files, embedded_);
  gifs_.StopTimers();
  input_.Forget();
  // Plug-ins, browser views and programs go with the objects that hold them.
  plugins_.Clear();
  browsers_->Clear();
  programs_->Clear();
  pages_.SetProject(std::move(result.project));
  objectStates_.LayoutChanged();
  hasProject_ = true;
  lastAnnounced_ = nullptr;
  decodedAheadFrom_ = nullptr;
  ApplySettings();
  embedded_ =
      EmbeddedFiles::Write(pages_.GetProject(), ctx_.files, ctx_.folders.embedded, ctx_.dialogs);
  macros_.Reset();
  if (initialized_)
    input_.Cursors().LoadProjectCursors(macros_, ctx_.files, ctx_.display);
  return true;
}

void PlayerWindow::ApplySettings() {
  const ProjectSettings& s = pages_.GetProject().settings;
  geometry_.Apply(s);
  // A window without title bar follows a drag of its body when the project allows it.
  input_.SetWindowDragAllowed(!geometry_.ShowsTitleBar() && s.dragWindow != 0);
  if (initialized_) {
    // Another project in a running window: the window takes its size and title.
    geometry_.ShowProject();
    ClientResized();
  } else {
    pages_.SetPageArea(geometry_.ClientWidth(), geometry_.ClientHeight());
    bubble_.SetClientSize(geometry_.ClientWidth(), geometry_.ClientHeight());
  }
}

void PlayerWindow::ClientResized() {
  const int width = geometry_.ClientWidth(), height = geometry_.ClientHeight();
  frame_ = Surface(width, height);
  pages_.SetPageArea(width, height);
  bubble_.SetClientSize(width, height);
  geometry_.ApplyShape(pages_);
  InvalidateAll(true);
}

// ---------------------------------------------------------------------------------------------
// Window set-up

void PlayerWindow::Initialize() {
  // 1. Flash support belongs to the Flash control, which this player does not host.
  // 2, 4. The display: a resolution change becomes a scaled full-screen window; a desktop
  // window is never topmost.
  geometry_.MeasureScreen();
  // 3.
  PublishSystemVariable(Variables(), this, "CBK_AppFileName", exeFileName_, exeFileName_);
  // 5, 6. The tool-tip bubble, media child windows and the icon are the frontend's.
  // 7, 8. Decorations, client size and stacking.
  geometry_.ShowWindow();
  frame_ = Surface(geometry_.ClientWidth(), geometry_.ClientHeight());
  pages_.SetPageArea(geometry_.ClientWidth(), geometry_.ClientHeight());
  // 9. The move itself waits until the window has appeared.
  geometry_.PlanStart();
  ctx_.loop.PostMessage(WindowMessage{player_message::kDeferredPlace, 0, 0, {}});
  // 10. The window shape from the page manager's region.
  geometry_.ApplyShape(pages_);
  ctx_.display.SetTitle(geometry_.Title());
  // 11.
  if (!startPage_.empty())
    pages_.GoToPageByName(startPage_, false);
  // 12. Process priority is kept as a setting: a player has no business renicing itself.
  // 13. The project's cursors; the low-colour fallback on a palette display; then the first
  // page is shown.
  input_.Cursors().LoadProjectCursors(macros_, ctx_.files, ctx_.display);
  if (ctx_.display.Screen().colorBits <= 8) {
    const ProjectSettings& s = pages_.GetProject().settings;
    const uint32_t lowColourFallback = s.paletteDisplayAction;
    const std::string lowColourDocument = s.paletteProjectPath;
    const std::string lowColourPage = s.palettePageName;
    if (lowColourFallback == 1 && !lowColourDocument.empty()) {
      OpenDocument(macros_.Expand(lowColourDocument));
    } else if (lowColourFallback == 2 && !lowColourPage.empty()) {
      pages_.GoToPageByName(lowColourPage, false);
    }
  }
  ShowPage();
  RefreshDateTime();
  // 14. Blocking task switching is kept as a setting; the desktop decides that, not a player.
  // 15.
  PublishCommandLine();
  // 16. Desktop mode: see step 4.
  initialized_ = true;
  visible_ = true;
  // 17.
  runner_->StartPageScript(10);
  ctx_.loop.SetClockTimer(window_timer::kDateTime, 500);
}

void PlayerWindow::PublishCommandLine() {
  VariableStore& vars = Variables();
  vars.SetText("CmdLineParam$[0]", std::to_string(commandLine_.Count()));
  for (int i = 1; i <= commandLine_.Count(); ++i) {
    vars.SetText("CmdLineParam$[" + std::to_string(i) + "]", *commandLine_.Get(i - 1));
  }
  if (const ObjectRecord* object = FindNamedObject("CBK_CMDLINE"))
    RunObjectScript(*object, ScriptSlot::kMain);
}

void PlayerWindow::ShowPage() {
  pages_.ShowCurrentPage();
  const PageRecord* shown = pages_.CurrentPage();
  PublishPageVariables(Variables(), this, shown ? shown->name : std::string(), exeFileName_);
  SetUpPlugins();
  SetUpBrowsers();
  SetUpPrograms();
  StartPageMedia();
  gifs_.PageShown();
  const PageRecord* page = pages_.CurrentPage();
  if (page && page != lastAnnounced_ && ctx_.events)
    ctx_.events->OnPage(page->name);
  lastAnnounced_ = page;
  controls_->Fields().PageShown(pages_.CurrentPage());
  InvalidateAll(true);
}

void PlayerWindow::RefreshDateTime() {
  const LocalDateTime now = ctx_.loop.GetClock().Now();
  VariableStore& vars = Variables();
  auto text = [&](const char* name, const std::string& value) {
    if (FindNamedObject(name))
      PublishSystemVariable(vars, this, name, value, value);
  };
  auto number = [&](const char* name, int value) {
    if (FindNamedObject(name))
      PublishSystemVariable(vars, this, name, value, std::to_string(value));
  };
  text("CBK_TimeHMS", Format("%I:%M:%S %p", now));
  text("CBK_Time24", Format("%H:%M:%S", now));
  number("CBK_Hour", now.hour);
  number("CBK_Minute", now.minute);
  number("CBK_Second", now.second);
  number("CBK_Year", now.year);
  text("CBK_Month", Format("%B", now));
  number("CBK_MonthNum", now.month);
  text("CBK_Day", Format("%A", now));
  number("CBK_DayNum", now.Weekday() + 1);
  number("CBK_DateNum", now.day);
  text("CBK_DateShort", Format("%d/%m/%y", now));
  text("CBK_DateLong", Format("%B %d, %Y", now));
}

// ---------------------------------------------------------------------------------------------
// Objects and scripts

ObjectRecord* PlayerWindow::FindNamedObject(const std::string& name) {
  if (PageRecord* page = pages_.CurrentPage()) {
    if (ObjectRecord* o = CPageManager::FindObjectOnPage(*page, name))
      return o;
  }
  if (ObjectRecord* o = CPageManager::FindObjectOnPage(pages_.MasterPage(), name))
    return o;
  return CPageManager::FindObjectOnPage(pages_.MasterLayer(), name);
}

const ObjectRecord* PlayerWindow::FindNamedObject(const std::string& name) const {
  return const_cast<PlayerWindow*>(this)->FindNamedObject(name);
}

BoundTextObject* PlayerWindow::FindBoundObject(const std::string& name) {
  ObjectRecord* object = FindNamedObject(name);
  if (!object)
    return nullptr;
  bound_->Bind(object);
  return bound_.get();
}

void PlayerWindow::RunObjectScript(const ObjectRecord& object, ScriptSlot slot) {
  const ScriptBody& script = ObjectScript(object, slot);
  if (script.statements.empty())
    return;
  auto body = std::make_shared<ScriptBody>(script);
  body->ownerName = object.name;
  runner_->ExecuteScript(std::shared_ptr<const ScriptBody>(std::move(body)));
}

void PlayerWindow::RunPageExitScript(PageRecord& page) {
  runner_->RunPageExitScript(page);
}

void PlayerWindow::RunScriptText(const std::string& text) {
  ScriptCompiler compiler(checker_, ctx_.dialogs);
  auto body = std::make_shared<ScriptBody>();
  compiler.CompileScript(*body, text, true);
  runner_->ExecuteScript(std::shared_ptr<const ScriptBody>(std::move(body)));
}

// ---------------------------------------------------------------------------------------------
// Closing

void PlayerWindow::LeaveCurrentPage() {
  if (PageRecord* page = pages_.CurrentPage()) {
    StopPageMedia(*page);
    page->exitScript.ownerName = page->name;
    runner_->RunPageExitScript(*page);
  }
}

void PlayerWindow::CloseOk() {
  if (closed_)
    return;
  closed_ = true;
  LeaveCurrentPage();
  FinishClose();
}

void PlayerWindow::CloseCancel() {
  if (closed_)
    return;
  if (ObjectRecord* exitObject = CPageManager::FindObjectOnPage(pages_.MasterLayer(), "CBK_EXIT")) {
    // The presentation decides: the window stays open and the object's script runs.
    const IntRect rect = exitObject->rect;
    RunObjectScript(*exitObject, ScriptSlot::kMain);
    Invalidate(InflatedRect(rect, 1), true);
    return;
  }
  closed_ = true;
  LeaveCurrentPage();
  FinishClose();
}

void PlayerWindow::FinishClose() {
  geometry_.SavePosition();
  // Task switching was never taken away; media and plug-in windows stop with their owners.
  runner_->KillScriptTimers();
  runner_->SetStopFlag(true);
  visible_ = false;
  ctx_.loop.PostQuit(0);
}

void PlayerWindow::ShutDown() {
  if (destroyed_)
    return;
  for (uint32_t id :
       {window_timer::kDateTime, window_timer::kOpenProject, window_timer::kAnimatedRegion,
        window_timer::kVideoTime, window_timer::kOneShot, window_timer::kPageScript}) {
    ctx_.loop.KillTimer(id);
  }
  gifs_.StopTimers();
  runner_->KillScriptTimers();
  if (transition_)
    transition_->Stop();
  plugins_.Clear();
  browsers_->Clear();
  programs_->Clear();
  geometry_.RestoreDisplay();
  commandLine_.Clear();
  ShutDownMedia();
  EmbeddedFiles::Remove(ctx_.files, embedded_);
  embedded_.clear();
  pages_.SetProject(Project());
  objectStates_.LayoutChanged();
  lastAnnounced_ = nullptr;
  destroyed_ = true;
  visible_ = false;
}

// ---------------------------------------------------------------------------------------------
// Painting

void PlayerWindow::Invalidate(const IntRect& rect, bool /*erase*/) {
  if (rect.left >= rect.right || rect.top >= rect.bottom)
    return;
  invalid_ = invalid_ ? invalid_->Union(rect) : rect;
  if (!paintPosted_) {
    paintPosted_ = true;
    ctx_.loop.PostMessage(WindowMessage{player_message::kPaint, 0, 0, {}});
  }
}

void PlayerWindow::InvalidateAll(bool erase) {
  Invalidate(IntRect{0, 0, geometry_.ClientWidth(), geometry_.ClientHeight()}, erase);
}

void PlayerWindow::Paint() {
  paintPosted_ = false;
  if (!invalid_ || destroyed_ || frame_.Empty())
    return;
  // A minimised window shows nothing; what is invalid waits until it is restored.
  if (ctx_.display.IsMinimized())
    return;
  // A running transition owns the screen; the page is painted again when it ends.
  if (TransitionRunning())
    return;
  const IntRect r = *invalid_;
  invalid_.reset();
  // Program windows go where their objects are now, and hide with them.
  programs_->Follow();
  const FrameSettings settings{geometry_.ClientWidth(), geometry_.ClientHeight(), noBackground_,
                               frameBorder_};
  const IntRect done = composer_.Compose(frame_, r, pages_, settings, paintRuntime_, &bubble_,
                                         &controls_->Fields().Menu());
  if (!done.Empty())
    ctx_.display.Present(frame_, done.left, done.top, done.Width(), done.Height());
  // The frame is out: pictures beyond the budget can go, and once a page shows, the next
  // page's pictures are decoded when the queue gets round to it.
  pictures_->Trim();
  const PageRecord* current = pages_.CurrentPage();
  if (current && current != decodedAheadFrom_) {
    decodedAheadFrom_ = current;
    ctx_.loop.PostMessage(WindowMessage{player_message::kDecodeAhead, 0, 0, {}});
  }
}

void PlayerWindow::DecodeAhead() {
  const std::optional<size_t> current = pages_.CurrentIndex();
  if (current && *current + 1 < pages_.Pages().size())
    DecodePageAhead(pages_.ReadPage(*current + 1), *pictures_);
}

void PlayerWindow::PageRead(PageRecord& /*page*/) {
  objectStates_.LayoutChanged();
}

void PlayerWindow::Repaint(const IntRect& rect) {
  Invalidate(rect, true);
}

void PlayerWindow::ShowMessage(const std::string& text) {
  ctx_.dialogs.Message(text);
}

// ---------------------------------------------------------------------------------------------
// Events

void PlayerWindow::OnTimer(uint32_t id) {
  if (runner_->OnTimer(id) || bubble_.OnTimer(id) || (transition_ && transition_->OnTimer(id)) ||
      media_->devices.OnTimer(id) || gifs_.OnTimer(id) || videos_->OnTimer(id))
    return;
  using namespace window_timer;
  if (id == kOneShot) {
    input_.FireTimedHides();
  } else if (id == kDateTime) {
    RefreshDateTime();
  } else if (id == kOpenProject) {
    // The reload waits until no script loop runs.
    if (!runner_->IsRunning())
      OpenPendingProject();
  } else if (id == kAnimatedRegion) {
    // One-shot timers stop.
    ctx_.loop.KillTimer(id);
  }
}

void PlayerWindow::OnMessage(const WindowMessage& message) {
  using namespace player_message;
  const std::string text = message.texts.empty() ? std::string() : message.texts[0];
  switch (message.id) {
    case kPaint:
      Paint();
      break;
    case kDecodeAhead:
      DecodeAhead();
      break;
    case kHtmlLink:
      OnHtmlLink(text);
      break;
    case kRepaintObject:
      if (const ObjectRecord* object = FindNamedObject(text))
        Invalidate(InflatedRect(object->rect, 1), true);
      break;
    case kRunScriptText:
      RunScriptText(text);
      break;
    case kBrowserConsent:
      OnBrowserConsent(message);
      break;
    case kBrowserPrinted:
      OnBrowserPrinted(message);
      break;
    case kDeleteAtom:
      activationLine_.reset();
      break;
    case kDeferredPlace:
      geometry_.MoveToStart();
      break;
    case kActivation:
      OnActivation(message);
      break;
    default:
      HandleScriptMessage(*this, *this, message);
      break;
  }
}

void PlayerWindow::OnHtmlLink(const std::string& link) {
  if (link.starts_with("page:")) {
    runner_->Navigation().FollowLink(link.substr(5));
  } else if (link.starts_with("script:")) {
    if (const ObjectRecord* object = FindNamedObject(link.substr(7)))
      RunObjectScript(*object, ScriptSlot::kMain);
  }
}

void PlayerWindow::OnActivation(const WindowMessage& message) {
  const std::string exe = message.texts.size() > 0 ? message.texts[0] : std::string();
  const std::string line = message.texts.size() > 1 ? message.texts[1] : std::string();
  // A player of another executable name is another presentation.
  if (!exe.empty() && exe != exeFileName_)
    return;
  ctx_.display.SetMinimized(false);
  activationLine_ = line;
  SetCommandLine(line);
  PublishCommandLine();
  const std::string* first = commandLine_.Get(0);
  if (!first || first->empty()) {
    activationLine_.reset();
    return;
  }
  // A host path as the second start was given it, relative to the working folder.
  std::error_code error;
  std::filesystem::path hostPath = std::filesystem::absolute(*first, error);
  const std::string path = error ? *first : hostPath.string();
  if (LooksLikeProject(ctx_.files, path)) {
    runner_->Navigation().RequestHostProject(path);
  } else {
    activationLine_.reset();
  }
}

void PlayerWindow::OpenProjectAction(const std::string& target, const std::string& parameters) {
  const std::string page = StartPageOf(parameters);
  // The running page is left (media, exit script) once the new project has been read; a
  // document that does not open leaves everything as it was.
  if (!OpenDocument(macros_.Expand(target)))
    return;
  runner_->Navigation().EnterProject(page);
}

void PlayerWindow::OpenPendingProject() {
  ctx_.loop.KillTimer(window_timer::kOpenProject);
  const ProjectRequest request = runner_->Navigation().TakeProjectRequest();
  if (request.path.empty())
    return;
  // RunQMD names the project as scripts see paths; a handed-over document is a host path,
  // which the file system takes as it is.
  const std::string path = request.hostPath ? request.path : macros_.Expand(request.path);
  quietOpen_ = false;
  if (!OpenDocument(path)) {
    activationLine_.reset();
    if (lastLoad_ == LoadStatus::NotQmd)
      CloseCancel();
    else if (lastLoad_ == LoadStatus::VersionZero)
      CloseOk();
    return;
  }
  runner_->Navigation().EnterProject(request.page);
  if (activationLine_) {
    SetCommandLine(*activationLine_);
    PublishCommandLine();
    activationLine_.reset();
  }
}

// ---------------------------------------------------------------------------------------------
// What scripts read of the window

void PlayerWindow::MousePosition(int& x, int& y) const {
  x = input_.MouseX();
  y = input_.MouseY();
}

bool PlayerWindow::IsMouseButtonDown(MouseButton button) const {
  return button == MouseButton::kLeft ? input_.LeftDown()
                                      : button == MouseButton::kRight && input_.RightDown();
}

WindowMetrics PlayerWindow::Metrics() const {
  return geometry_.Metrics();
}

bool PlayerWindow::IsMinimized() const {
  return ctx_.display.IsMinimized();
}

SystemInformation PlayerWindow::SystemInfo() const {
  return ctx_.system ? ctx_.system->Read() : SystemInformation{};
}

std::optional<ObjectInfo> PlayerWindow::FindObjectInfo(const std::string& name) const {
  const ObjectRecord* object = FindNamedObject(name);
  if (!object)
    return std::nullopt;
  ObjectInfo info;
  info.left = object->rect.left;
  info.top = object->rect.top;
  info.right = object->rect.right;
  info.bottom = object->rect.bottom;
  info.visible = !IsHidden(*object);
  info.kind = object->typeCode;
  info.opacity = object->ratio;
  if (object->typeCode == kObjImage) {
    // An image object's picture is the one its view shows, else its stored state image A.
    const ObjectRunState* state = objectStates_.Find(*object);
    const ImageView* view = state && state->imageView ? &*state->imageView : nullptr;
    const ObjectImage& stored = object->stateImages[1];
    const Image24* picture = view && view->Picture() ? view->Picture()
                             : stored.present        ? &stored.Image()
                                                     : nullptr;
    info.hasImage = picture && !picture->Empty();
    if (info.hasImage) {
      info.imageCellWidth = static_cast<int>(std::min<uint32_t>(picture->width, INT32_MAX));
      info.imageCellHeight = static_cast<int>(std::min<uint32_t>(picture->height, INT32_MAX));
    }
    if (view) {
      info.imageScrollX = view->ScrollX();
      info.imageScrollY = view->ScrollY();
    }
  }
  if (const VideoPlayer* player = videos_->Find(*object); player && player->HasMedia()) {
    info.video = VideoParameters{player->FullScreen(), player->Loop(), player->Muted(),
                                 !player->FrameFormat(), player->FrameFormat()};
  }
  return info;
}

// ---------------------------------------------------------------------------------------------
// Automation

PlayerSnapshot PlayerWindow::Snapshot() const {
  PlayerSnapshot s;
  const PageRecord* current = pages_.CurrentPage();
  if (current)
    s.page = current->name;
  const VariableStore& vars = evaluator_.Variables();
  s.variables.reserve(vars.Size());
  for (size_t i = 0; i < vars.Size(); ++i) {
    const VariableRecord& r = vars.At(i);
    s.variables.push_back({r.name, r.number == TextMarker, r.text, r.number});
  }
  auto add = [&](const PageRecord& page, const std::string& pageName) {
    for (const ObjectRecord& o : page.objects) {
      s.objects.push_back({pageName, o.name, o.typeCode, o.rect.left, o.rect.top, o.rect.right,
                           o.rect.bottom, IsHidden(o), o.text});
    }
  };
  add(pages_.MasterPage(), std::string(CPageManager::kMasterPageName));
  if (current)
    add(*current, current->name);
  add(pages_.MasterLayer(), std::string(CPageManager::kMasterLayerName));
  return s;
}

}  // namespace qlm
