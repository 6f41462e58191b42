#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/PageManager.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/SystemVariables.h"
#include "platform/headless/VirtualEventLoop.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptCompiler.h"
#include "script/ScriptRoles.h"
#include "script/ScriptRunner.h"
#include "support/RecordingDialogs.h"

namespace qlm::test {

// Compiles script text with the real checker; messages go to `dialogs`.
inline ScriptBody Compile(const std::string& text, Dialogs& dialogs) {
  EvaluatorSyntaxChecker checker;
  ScriptCompiler compiler(checker, dialogs);
  ScriptBody body;
  compiler.CompileScript(body, text, true);
  return body;
}

inline ScriptBody Compile(const std::string& text) {
  RecordingDialogs dialogs;
  return Compile(text, dialogs);
}

inline ObjectRecord MakeObject(const std::string& name, IntRect rect = {10, 10, 50, 30},
                               const std::string& script = {}) {
  ObjectRecord object;
  object.typeCode = kObjScript;
  object.name = name;
  object.rect = rect;
  object.scripts[2] = Compile(script);
  return object;
}

inline PageRecord MakePage(const std::string& name, const std::string& enter = {},
                           const std::string& exit = {}) {
  PageRecord page;
  page.name = name;
  page.enterScript = Compile(enter);
  page.exitScript = Compile(exit);
  return page;
}

// A player window for scripts: the page manager, the live evaluator, recording dialogs and a
// virtual event loop, with every call the executor makes written to `log`.
class TestScriptHost : public CombinedScriptHost, public PageManagerOwner, public EventHandler {
 public:
  explicit TestScriptHost(Project project = {}) : pages(std::move(project)), runner(*this) {
    pages.SetOwner(this);
    loop.SetHandler(this);
    RegisterCoreCommands(runner);
  }

  // Runs script text as RunScriptCode does, on the current page.
  bool Run(const std::string& text) {
    ScriptBody body = Compile(text, dialogs);
    return runner.ExecuteScript(body);
  }

  double Number(const std::string& name) const {
    double value = 0;
    evaluator.GetNumber(name, value);
    return value;
  }

  std::string CurrentName() const {
    const PageRecord* page = pages.CurrentPage();
    return page ? page->name : "(none)";
  }

  // ScriptHost
  CPageManager& PageManager() override { return pages; }
  ExpressionEvaluator& Evaluator() override { return evaluator; }
  Dialogs& GetDialogs() override { return dialogs; }
  EventLoop& Loop() override { return loop; }
  bool IsWindowVisible() const override { return visible; }
  void Invalidate(const IntRect& rect, bool) override { invalidated.push_back(rect); }
  void InvalidateAll(bool) override { ++invalidatedAll; }
  void ClosePlayer() override {
    log.push_back("close");
    closed = true;
  }
  void ShowPage() override {
    pages.ShowCurrentPage();
    const PageRecord* page = pages.CurrentPage();
    PublishPageVariables(evaluator.Variables(), nullptr, page ? page->name : "", "test.qmd");
    log.push_back("shown:" + CurrentName());
  }
  std::string WindowTitle() const override { return "Title"; }
  void MinimizeWindow() override { log.push_back("minimize"); }
  void RestoreWindow() override { log.push_back("restore"); }
  void ObjectMoved(PageRecord&, ObjectRecord& object, bool) override {
    moves.push_back({object.rect.left, object.rect.top});
  }
  std::optional<std::string> ReadFile(const std::string& path) override {
    const auto it = files.find(path);
    return it == files.end() ? std::nullopt : std::optional(it->second);
  }
  std::optional<std::string> SongListEntry(int64_t number) const override {
    if (number < 1 || static_cast<size_t>(number) > songs.size())
      return std::nullopt;
    return songs[static_cast<size_t>(number - 1)];
  }

  // System and file commands: launches, window placement and fonts are logged; files and the
  // profile are whatever the test plugs in.
  void Launch(const std::string& program, const std::string& options) override {
    launches.emplace_back(program, options);
    evaluator.SetNumber("CBK_ReturnVal", 42);
  }
  FileSystem* Files() override { return fileSystem; }
  ProfileStore* Profile() override { return profile; }
  std::string ProfileSection() const override { return profileSection; }
  void SetFileText(const std::string& path) override { fileText = path; }
  std::string FileText() const override { return fileText; }
  void ResizeWindow(int width, int height) override {
    log.push_back("resize:" + std::to_string(width) + "," + std::to_string(height));
  }
  void MoveWindow(int x, int y) override {
    log.push_back("move:" + std::to_string(x) + "," + std::to_string(y));
  }
  void CenterWindow() override { log.push_back("center"); }
  void SetTopmost(bool topmost) override { log.push_back(topmost ? "topmost" : "not topmost"); }
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  std::optional<std::string> ClipboardText() override { return clipboard; }
  void SetSongList(std::vector<std::string> list) override { songs = std::move(list); }
  bool InstallFont(std::unique_ptr<ReadableFile> file, const std::filesystem::path& name) override {
    fonts.push_back(name);
    fontFiles.push_back(std::move(file));
    return fontsInstall;
  }

  // PageManagerOwner
  void StopPageMedia(PageRecord& page) override { log.push_back("stop:" + page.name); }
  void RunPageExitScript(PageRecord& page) override {
    log.push_back("exit:" + page.exitScript.ownerName);
    runner.RunPageExitScript(page);
  }

  // EventHandler
  void OnTimer(uint32_t id) override { runner.OnTimer(id); }
  void OnMessage(const WindowMessage& message) override {
    if (HandleScriptMessage(*this, *this, message))
      return;
    for (const std::string& text : message.texts)
      Run(text);
  }

  CPageManager pages;
  ExpressionEvaluator evaluator;
  RecordingDialogs dialogs;
  VirtualEventLoop loop;
  ScriptRunner runner;
  bool visible = true;
  bool closed = false;
  int invalidatedAll = 0;
  std::vector<IntRect> invalidated;
  std::vector<std::string> log;
  std::vector<IntPoint> moves;               // top-left corners ObjectMoved reported
  std::map<std::string, std::string> files;  // what ReadFile finds, by the path scripts give
  std::vector<std::string> songs;            // the song list
  std::vector<std::pair<std::string, std::string>> launches;  // program, options
  FileSystem* fileSystem = nullptr;
  ProfileStore* profile = nullptr;
  std::string profileSection = "QLM";
  std::string fileText;  // "<File>"
  std::optional<std::string> clipboard;
  std::vector<std::filesystem::path> fonts;  // the names InstallFont's files are read by
  std::vector<std::unique_ptr<ReadableFile>> fontFiles;
  bool fontsInstall = true;
};

}  // namespace qlm::test
