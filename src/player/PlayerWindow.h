#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/LoadContext.h"
#include "document/ObjectFields.h"
#include "document/PageManager.h"
#include "document/ProjectReader.h"
#include "expr/EvaluatorOwner.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/PathMacros.h"
#include "expr/SystemVariables.h"
#include "graphics/Surface.h"
#include "media/MediaSession.h"
#include "media/SpeechSession.h"
#include "media/VideoObjects.h"
#include "platform/EventLoop.h"
#include "platform/Libraries.h"
#include "platform/PlayerSnapshot.h"
#include "platform/Printer.h"
#include "player/AnimatedGifs.h"
#include "player/BrowserObjects.h"
#include "player/CBubble.h"
#include "player/CommandLine.h"
#include "player/CursorTable.h"
#include "player/FrameComposer.h"
#include "player/ObjectControls.h"
#include "player/ObjectStates.h"
#include "player/PlayerContext.h"
#include "player/PrintCommands.h"
#include "player/ProgramObjects.h"
#include "player/TransitionWindow.h"
#include "player/WindowGeometry.h"
#include "player/WindowInput.h"
#include "plugins/PluginHosts.h"
#include "plugins/TransitionPlugin.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptRoles.h"
#include "script/ScriptRunner.h"

namespace qlm {

// Private window messages of the player window.
namespace player_message {
inline constexpr uint32_t kPaint = 0x000F;         // compose and present the invalid area
inline constexpr uint32_t kHtmlLink = 2245;        // texts[0]: "page:NAME" or "script:NAME"
inline constexpr uint32_t kRepaintObject = 2246;   // texts[0]: qualified object name
inline constexpr uint32_t kRunScriptText = 2247;   // texts[0]: script text; wParam: from outside
inline constexpr uint32_t kDeleteAtom = 2249;      // forget the remembered activation
inline constexpr uint32_t kBrowserConsent = 2251;  // texts[0]: address; wParam: the view
inline constexpr uint32_t kBrowserPrinted = 2252;  // texts[0]: the PDF file; wParam: 1 complete
inline constexpr uint32_t kDeferredPlace = 2324;   // move the window to its start position
inline constexpr uint32_t kDecodeAhead = 2325;     // decode the next page's pictures
inline constexpr uint32_t kActivation = 0xC001;    // "QLMPlayerMsgActivate": texts {exe, line}
}  // namespace player_message

// A deferred action of the pending-action field (timer 0).
enum class PendingAction { kNone = 0, kExit = 2, kChange = 3 };

// The main window: owns the loaded project and its page manager, the live evaluator with the
// variable store, the script runner, the command line and the window timers. It is driven only
// by the events of its EventLoop, so the same window runs on the desktop and headless.
class PlayerWindow : public ScriptHost,
                     public PageHost,
                     public ObjectHost,
                     public SystemHost,
                     public ListHost,
                     public EvaluatorOwner,
                     public BoundTextObjectFinder,
                     public EventHandler,
                     private PageManagerOwner,
                     private WindowInputHost {
 public:
  explicit PlayerWindow(PlayerContext& context);
  ~PlayerWindow() override;
  PlayerWindow(const PlayerWindow&) = delete;
  PlayerWindow& operator=(const PlayerWindow&) = delete;

  // ---- Start-up (PlayerApp) ----

  // File name of the running executable (the stand-alone file when one plays the role).
  void SetExeFileName(std::string name) { exeFileName_ = std::move(name); }
  const std::string& ExeFileName() const { return exeFileName_; }
  // Windows-style path the "<SrcDir>" and "<SrcDrive>" macros are taken from.
  void SetSourcePath(std::string windowsPath);
  void SetStartPage(std::string page) { startPage_ = std::move(page); }
  void SetNewWindow(bool on) { newWindow_ = on; }
  bool NewWindow() const { return newWindow_; }
  void SetQuietOpen(bool on) { quietOpen_ = on; }
  void SetStarting(bool on) { starting_ = on; }
  bool Starting() const { return starting_; }

  // Reads a document (a path as scripts write them, or a host path): stops the script timers
  // and the pending action, stops media, and swaps the new project in. A failed read leaves the
  // current project as it was. "Cannot find the file\n" and the path when it cannot be opened,
  // unless quiet open is on. Messages name the file by its host path, or by `shownName`.
  bool OpenDocument(const std::string& path, const std::string& shownName = {});
  // The same for a project held in memory (the block of a stand-alone file).
  bool OpenProjectBytes(const SharedBytes& bytes, const std::string& sourceName);
  // Takes a project made in memory (the --blank console, tests).
  bool OpenProject(Project project);
  // The outcome of the last read.
  LoadStatus LastLoadStatus() const { return lastLoad_; }
  bool HasProject() const { return hasProject_; }

  // The command line (parsed with quotes and doubled quotes) and its publishing as CmdLineParam$
  // followed by the script object CBK_CMDLINE.
  void SetCommandLine(std::string_view text) { commandLine_.Set(text); }
  void SetCommandLine(CommandLineParams params) { commandLine_ = std::move(params); }
  const CommandLineParams& CommandLine() const { return commandLine_; }
  void PublishCommandLine();

  // The window comes up: the set-up steps in order, ending with the first page's script and the
  // date-and-time timer.
  void Initialize();
  bool IsInitialized() const { return initialized_; }

  // The closing paths. Ok: Exit and the exit timer. Cancel: Escape and the close box; an object
  // named CBK_EXIT on the Master Layer keeps the window open and runs instead.
  void CloseOk() override;
  void CloseCancel() override;
  bool IsClosed() const { return closed_; }
  // After the modal loop: media, page data, display mode and the embedded files go.
  void ShutDown();

  // Compiles and runs script text as RunScriptCode does (errors shown).
  void RunScriptText(const std::string& text);

  // The window as the automation "dump" shows it.
  PlayerSnapshot Snapshot() const;

  // The whole-window frame as last composed.
  const Surface& Frame() const { return frame_; }
  // Composes the invalid area and presents it now.
  void Paint();
  // Decodes the pictures of the page after the current one while they fit the budget.
  void DecodeAhead();

  // Input state, for tests.
  ObjectStates& States() { return objectStates_; }
  AnimatedGifs& Gifs() { return gifs_; }
  CBubble& Bubble() { return bubble_; }
  const CursorTable& Cursors() const { return input_.Cursors(); }
  // The cursor entry last shown over the client area (-1: the default arrow).
  int ShownCursor() const { return input_.ShownCursor(); }
  // Whether a click on an object with the exit action may close the player.
  void SetExitAllowed(bool allowed) { input_.SetExitAllowed(allowed); }
  void SetFrameBorder(bool on) { frameBorder_ = on; }
  void SetNoBackground(bool on) { noBackground_ = on; }
  // Starts a program or document as the Run command does; CBK_ReturnVal receives the result.
  void Launch(const std::string& program, const std::string& options) override;
  // Hands a job to the printer (PlayerWindowPrint.cpp): reports what was printed and says why
  // printing failed. False when nothing was printed.
  bool Print(const PrintJob& job);

  // State for tests and the automation output.
  CPageManager& Pages() { return pages_; }
  const CPageManager& Pages() const { return pages_; }
  ScriptRunner& Runner() { return *runner_; }
  VariableStore& Variables() { return evaluator_.Variables(); }
  bool DisplayChanged() const { return geometry_.DisplayChanged(); }
  const std::vector<std::string>& WrittenEmbeddedFiles() const { return embedded_; }

  // ---- Script roles: ScriptHost and PageHost ----
  CPageManager& PageManager() override { return pages_; }
  ExpressionEvaluator& Evaluator() override { return evaluator_; }
  Dialogs& GetDialogs() override { return ctx_.dialogs; }
  EventLoop& Loop() override { return ctx_.loop; }
  bool WindowExists() const override { return !destroyed_; }
  bool IsWindowVisible() const override { return visible_; }
  void Invalidate(const IntRect& rect, bool erase) override;
  void InvalidateAll(bool erase) override;
  void ClosePlayer() override { CloseOk(); }
  void ShowPage() override;
  // Page transitions (PlayerWindowTransition.cpp).
  void PrepareTransition() override;
  bool StartTransition() override;
  // Ends a running transition at once; the current page is painted again.
  void StopTransition();
  bool TransitionRunning() const { return transition_ && transition_->Running(); }
  // The transition window once a page asked for a transition; null before.
  const TransitionWindow* Transition() const { return transition_.get(); }
  // ObjectHost (PlayerWindowCommands.cpp).
  void EditObjectList(PageRecord& page, const ObjectListEdit& edit) override;
  void AppendObject(PageRecord& page, ObjectRecord object) override;
  void ObjectMoved(PageRecord& page, ObjectRecord& object, bool resized) override;
  void ObjectStyleChanged(PageRecord& page, ObjectRecord& object) override;
  GridCells* GridCellsOf(ObjectRecord& object) override;
  ImageView* ImageViewOf(ObjectRecord& object) override;
  // Input fields (PlayerWindowFields.cpp): a script replaced a field's text; Show of a field.
  void ObjectTextChanged(PageRecord& page, ObjectRecord& object) override;
  void FocusObject(PageRecord& page, ObjectRecord& object) override;
  void FieldTextLoaded(ObjectRecord& field) override;
  InputFields& Fields() { return controls_->Fields(); }
  // SystemHost: paths and files (PlayerWindowCommands.cpp), launching, the clipboard and fonts
  // (PlayerWindowSystem.cpp).
  std::string FileText() const override { return macros_.File(); }
  std::string ExpandPathMacros(const std::string& text) override;
  std::optional<std::string> ReadFile(const std::string& windowsPath) override;
  FileSystem* Files() override { return &ctx_.files; }
  ProfileStore* Profile() override { return &ctx_.profile; }
  std::string ProfileSection() const override { return geometry_.ProfileSection(); }
  void SetFileText(const std::string& path) override { macros_.SetFile(path); }
  void SetClipboardText(const std::string& text) override;
  std::optional<std::string> ClipboardText() override;
  bool InstallFont(std::unique_ptr<ReadableFile> file, const std::filesystem::path& name) override;
  // ListHost: list controls (PlayerWindowLists.cpp) and the song list (PlayerWindowMedia.cpp).
  ListBoxControl* ListBoxOf(ObjectRecord& object) override;
  std::optional<std::string> SongListEntry(int64_t number) const override;
  void SetSongList(std::vector<std::string> files) override;
  // Media (PlayerWindowMedia.cpp).
  MediaSession& Media() { return *media_; }
  // Video objects (PlayerWindowVideo.cpp).
  VideoObjects& Videos() { return *videos_; }
  // Web-browser objects (PlayerWindowBrowsers.cpp).
  BrowserObjects& Browsers() { return *browsers_; }

  // ---- Plug-ins (PlayerWindowPlugins.cpp) ----

  // Windows folders plug-in libraries are looked for in, before the presentation's folder:
  // the player's own folder (its "Plugins" sub-folder is searched too).
  void SetPluginFolders(std::vector<std::string> windowsFolders) {
    pluginFolders_ = std::move(windowsFolders);
  }
  // Every folder a library is looked for in, in order: those set above, then "<SrcDir>".
  std::vector<std::string> PluginFolders();
  // The loader of plug-in libraries (dlopen unless a test gives another).
  // The host of a plug-in object once its page was shown, or null.
  PluginHost* PluginHostOf(const ObjectRecord& object) const { return plugins_.Find(object); }
  // A transition plug-in over this window's loader and files, for effect 18: Start it with
  // PluginFolders(), the old and the new picture, then Step it on every frame.
  std::unique_ptr<TransitionPlugin> MakeTransitionPlugin();

  // ---- EvaluatorOwner ----
  void MousePosition(int& x, int& y) const override;
  bool IsMouseButtonDown(MouseButton button) const override;
  WindowMetrics Metrics() const override;
  bool IsMinimized() const override;
  SystemInformation SystemInfo() const override;
  std::optional<ObjectInfo> FindObjectInfo(const std::string& name) const override;
  // The song list (PlayerWindowMedia.cpp).
  int PlayListCount() const override;
  std::string PlayListItem(int index) const override;
  std::string RunningObjectName() const override {
    return runner_ ? runner_->RunningOwnerName() : std::string();
  }

  // ---- BoundTextObjectFinder ----
  BoundTextObject* FindBoundObject(const std::string& name) override;

  // ---- EventHandler ----
  void OnTimer(uint32_t id) override;
  void OnMessage(const WindowMessage& message) override;
  void OnMouse(const MouseEvent& event) override;
  void OnKey(const KeyEvent& event) override;
  void OnChar(const CharEvent& event) override;
  void OnComposition(const CompositionEvent& event) override;
  void OnClose() override { CloseCancel(); }

 private:
  class BoundObject;

  // PageManagerOwner.
  void RunPageExitScript(PageRecord& page) override;
  void StopPageMedia(PageRecord& page) override;
  void PageRead(PageRecord& page) override;

  // Media: the session, the MCI objects of a page that becomes current, and the end of it all.
  void InitMedia();
  void StartPageMedia();
  void ShutDownMedia();

  bool Adopt(LoadResult result);
  void ApplySettings();
  // The frame, the page area, the bubble and the shape follow the client size; all is
  // repainted.
  void ClientResized();
  void RefreshDateTime();
  void OnActivation(const WindowMessage& message);
  void OpenPendingProject();
  void OnHtmlLink(const std::string& link);
  // The object of that name on the current page, the Master Page or the Master Layer.
  ObjectRecord* FindNamedObject(const std::string& name);
  const ObjectRecord* FindNamedObject(const std::string& name) const;
  // Runs a script of an object with its name as owner.
  void RunObjectScript(const ObjectRecord& object, ScriptSlot slot) override;
  // Leaves the current page as closing does: media stop, exit script.
  void LeaveCurrentPage();
  void FinishClose();

  // WindowInputHost.
  void Repaint(const IntRect& rect) override;
  void ShowMessage(const std::string& text) override;
  void OpenProjectAction(const std::string& target, const std::string& parameters) override;
  // A press on a list box selects the row under the mouse (PlayerWindowLists.cpp).
  void SelectListRow(ObjectRecord& list, int x, int y) override;
  // Forwards a mouse event to the plug-in of `object` when its capture level asks for it and
  // repaints the object, and a click to the page of a browser object. No-op for other kinds
  // (PlayerWindowPlugins.cpp).
  void ForwardPluginMouse(ObjectRecord& object, PluginMouse event, int x, int y) override;
  // The wheel over a browser object scrolls its page (PlayerWindowBrowsers.cpp).
  bool WheelObject(ObjectRecord& object, int x, int y, int notches) override;

  PlayerContext& ctx_;
  LoadContext load_;
  CPageManager pages_;
  ExpressionEvaluator evaluator_;
  PathMacros macros_;
  EvaluatorSyntaxChecker checker_;
  WindowGeometry geometry_;
  std::unique_ptr<ScriptRunner> runner_;
  std::unique_ptr<BoundObject> bound_;
  CommandLineParams commandLine_;

  std::string startPage_;
  bool newWindow_ = false;
  bool quietOpen_ = false;
  bool starting_ = false;
  std::string exeFileName_;
  // The command line of an activation, kept until timer 999 has opened its project.
  std::optional<std::string> activationLine_;

  bool hasProject_ = false;
  LoadStatus lastLoad_ = LoadStatus::Abandoned;
  bool initialized_ = false;
  bool visible_ = false;
  bool closed_ = false;
  bool destroyed_ = false;
  std::vector<std::string> embedded_;
  // The page last reported to the events sink, so that a page is reported once when it comes.
  const PageRecord* lastAnnounced_ = nullptr;
  // Decoded pictures of every project this window reads, within the --image-cache budget.
  std::shared_ptr<PictureStore> pictures_;
  // The page whose successor's pictures were last decoded ahead.
  const PageRecord* decodedAheadFrom_ = nullptr;

  // Painting: the area to compose and whether a paint message is on its way.
  ObjectStates objectStates_;
  AnimatedGifs gifs_;
  FrameComposer composer_;
  PlayerPaintRuntime paintRuntime_;
  bool noBackground_ = false;
  bool frameBorder_ = false;
  Surface frame_;
  std::optional<IntRect> invalid_;
  bool paintPosted_ = false;

  // The tool-tip bubble, drawn into the frame; mouse and keys.
  CBubble bubble_;
  WindowInput input_;
  // Input fields, their pop-up menu and scrolling objects (PlayerWindowFields.cpp).
  std::unique_ptr<ObjectControls> controls_;
  void InitControls();
  // Font files scripts added, open while the window draws with them.
  std::vector<std::unique_ptr<ReadableFile>> addedFonts_;

  // Plug-in objects: their hosts, the loader and the folders libraries come from.
  class PluginPainter;
  void InitPlugins();
  // Creates and sets up the hosts of the plug-in objects of the shown layers that have none.
  void SetUpPlugins();
  void SetUpPlugin(ObjectRecord& object);
  NoLibraries noLibraries_;
  Libraries* libraries_ = ctx_.libraries ? ctx_.libraries : &noLibraries_;
  std::vector<std::string> pluginFolders_;
  PluginHosts plugins_;
  std::unique_ptr<PaintRuntime> pluginPainter_;

  // Page transitions: the settings of the page being left and the window that runs them.
  int transitionType_ = 0;
  int32_t transitionDuration_ = 0;
  std::unique_ptr<TransitionWindow> transition_;

  std::unique_ptr<MediaSession> media_;
  // Speech keeps going across pages; a new project or the end of the window stops it.
  std::unique_ptr<SpeechSession> speech_;

  // Video objects: their players, drawn into the page and driven by the window's timers
  // (PlayerWindowVideo.cpp).
  class VideoGlue;
  void InitVideos();
  double VideoAction(ObjectRecord& target, int action, double value) override;
  std::unique_ptr<VideoHost> videoGlue_;  // a VideoGlue, which paints the videos too
  std::unique_ptr<VideoObjects> videos_;

  // Web-browser objects: their views, drawn into the page, and the consent their addresses
  // outside the presentation's reach need (PlayerWindowBrowsers.cpp).
  class BrowserGlue;
  void InitBrowsers();
  // Opens the browser objects of the shown layers and closes those of the layers left.
  void SetUpBrowsers();
  void OnBrowserConsent(const WindowMessage& message);
  // A browser object's page was printed into a file: it goes to the printer.
  void OnBrowserPrinted(const WindowMessage& message);
  std::unique_ptr<BrowserHost> browserGlue_;  // a BrowserGlue, which paints the pages too
  std::unique_ptr<BrowserObjects> browsers_;

  // Printing: PrintText, PrintPage and PrintRect hand their jobs to the machine's printer
  // (PlayerWindowPrint.cpp).
  class PrintGlue;
  void InitPrinting();
  // The name of print jobs: the window's title (UTF-8), or the player's name without one.
  std::string PrintTitle() const;
  std::unique_ptr<PrintHost> printGlue_;

  // Embedded-program objects: their programs, started as launches are, and the windows held
  // over them (PlayerWindowPrograms.cpp).
  class ProgramGlue;
  void InitPrograms();
  // Starts the program objects of the shown layers and closes those of the layers left.
  void SetUpPrograms();
  // A launch of `program` (macros expanded) through the trust policy: `start` runs once it
  // may go ahead, a failure shows its message; returns the launch result. `optionsText` is
  // what the launch reports as its options.
  uint32_t LaunchThroughPolicy(
      const std::string& program, const std::string& optionsText, const LaunchOptions& options,
      const std::function<uint32_t(const LaunchPlan&, const LaunchOptions&)>& start);
  std::unique_ptr<ProgramHost> programGlue_;
  std::unique_ptr<ProgramObjects> programs_;
};

}  // namespace qlm
