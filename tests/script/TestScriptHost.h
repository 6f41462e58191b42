#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/PageManager.h"
#include "expr/ExpressionEvaluator.h"
#include "platform/headless/VirtualEventLoop.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptCompiler.h"
#include "script/ScriptHost.h"
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

inline ObjectRecord MakeObject(const std::string& name, Rect rect = {10, 10, 50, 30},
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
class TestScriptHost : public ScriptHost, public PageManagerOwner, public EventHandler {
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
  void Invalidate(const Rect& rect, bool) override { invalidated.push_back(rect); }
  void InvalidateAll(bool) override { ++invalidatedAll; }
  void ClosePlayer() override {
    log.push_back("close");
    closed = true;
  }
  void ShowPage() override {
    pages.ShowCurrentPage(evaluator.Variables(), nullptr, "test.qmd");
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

  // PageManagerOwner
  void StopPageMedia(PageRecord& page) override { log.push_back("stop:" + page.name); }
  void RunPageExitScript(PageRecord& page) override {
    log.push_back("exit:" + page.exitScript.ownerName);
    runner.RunPageExitScript(page);
  }

  // EventHandler
  void OnTimer(uint32_t id) override { runner.OnTimer(id); }
  void OnMessage(const WindowMessage& message) override {
    if (HandleScriptMessage(*this, message))
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
  std::vector<Rect> invalidated;
  std::vector<std::string> log;
  std::vector<Point> moves;                  // top-left corners ObjectMoved reported
  std::map<std::string, std::string> files;  // what ReadFile finds, by the path scripts give
  std::vector<std::string> songs;            // the song list
};

}  // namespace qlm::test
