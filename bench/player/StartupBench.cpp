// Start-up to the first composed frame, beside reading and parsing the same document alone.
// The ratio of the two is the cost the window's set-up adds on top of the reader.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "document/LoadContext.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "platform/Display.h"
#include "platform/EventLoop.h"
#include "platform/ProfileStore.h"
#include "platform/host/DiskFileSystem.h"
#include "player/PlayerWindow.h"
#include "support/ProjectFiles.h"
#include "support/RecordingDialogs.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

class BenchLoop : public EventLoop {
 public:
  BenchLoop() : EventLoop(clock_) {}

 protected:
  void WaitForEvents(uint64_t deadline) override { clock_.AdvanceTo(deadline); }

 private:
  VirtualClock clock_;
};

class BenchDisplay : public Display {
 public:
  void Present(const Surface&, int, int, int, int) override { ++presents; }
  void SetTitle(const std::string&) override {}
  void SetClientSize(int, int) override {}
  int ClientWidth() const override { return 0; }
  int ClientHeight() const override { return 0; }
  void SetPosition(int, int) override {}
  int Left() const override { return 0; }
  int Top() const override { return 0; }
  void SetDecorations(bool, bool) override {}
  void SetTopmost(bool) override {}
  void SetMinimized(bool) override {}
  bool IsMinimized() const override { return false; }
  void RequestFullScreen(int, int) override {}
  ScreenMetrics Screen() const override { return {}; }
  int presents = 0;
};

class NoProfile : public ProfileStore {
 public:
  int GetInt(const std::string&, const std::string&, int f) const override { return f; }
  std::string GetString(const std::string&, const std::string&,
                        const std::string& f) const override {
    return f;
  }
  bool WriteInt(const std::string&, const std::string&, int) override { return true; }
  bool WriteString(const std::string&, const std::string&, const std::string&) override {
    return true;
  }
};

// Host paths as they are; anything else is the temporary folder.
class TempFiles : public DiskFileSystem {
 public:
  fs::path ToHost(const std::string& path) const override {
    return path.starts_with('/') ? fs::path(path) : fs::temp_directory_path();
  }
  std::string ToWindows(const fs::path& p) const override { return p.string(); }
};

// A presentation of 40 pages of 50 objects each, 1024 x 768, with a background image on the
// first page.
const fs::path& Document() {
  static const fs::path path = [] {
    Project project;
    project.settings.clientWidth = 1024;
    project.settings.clientHeight = 768;
    for (int p = 0; p < 40; ++p) {
      PageRecord page;
      page.name = "Page " + std::to_string(p + 1);
      for (int o = 0; o < 50; ++o) {
        ObjectRecord object = ObjectRecord::Fresh();
        object.typeCode = o % 2 ? kObjText : kObjRectangle;
        object.name = "Object" + std::to_string(o);
        object.text = "Some text of object " + std::to_string(o);
        object.rect = {o * 10, o * 8, o * 10 + 120, o * 8 + 30};
        page.objects.push_back(std::move(object));
      }
      project.pages.push_back(std::move(page));
    }
    PageRecord& first = project.pages[0];
    first.hasImage = 1;
    first.image.image.width = 1024;
    first.image.image.height = 768;
    first.image.image.pixels.assign(1024 * 768 * 3, 0x80);
    project.storedPageCount = static_cast<uint32_t>(project.pages.size());
    const fs::path file = fs::temp_directory_path() / "qlm-startup-bench.qmd";
    test::WriteProjectFile(file, project, 29);
    return file;
  }();
  return path;
}

void BM_ReadAndParseDocument(benchmark::State& state) {
  test::RecordingDialogs dialogs;
  for (auto _ : state) {
    LoadContext ctx(dialogs);
    LoadResult result = test::LoadProjectFile(Document(), ctx);
    benchmark::DoNotOptimize(result.project.pages.size());
    if (!result.Ok())
      state.SkipWithError("the document does not load");
  }
}
BENCHMARK(BM_ReadAndParseDocument)->Unit(benchmark::kMillisecond);

// A window on the bench document, opened and initialised; the loop lets go of it at the end.
struct StartedWindow {
  StartedWindow(benchmark::State& state, Dialogs& dialogs, ProfileStore& profile, FileSystem& files)
      : context{loop, display, dialogs, profile, files, {}, CodePage(), nullptr, 1u},
        window(context) {
    loop.SetHandler(&window);
    if (!window.OpenDocument(Document().string()))
      state.SkipWithError("the document does not load");
    window.Initialize();
  }
  ~StartedWindow() { loop.SetHandler(nullptr); }

  BenchLoop loop;
  BenchDisplay display;
  PlayerContext context;
  PlayerWindow window;
};

void BM_StartUpToFirstFrame(benchmark::State& state) {
  test::RecordingDialogs dialogs;
  NoProfile profile;
  TempFiles files;
  for (auto _ : state) {
    StartedWindow started(state, dialogs, profile, files);
    BenchLoop& loop = started.loop;
    BenchDisplay& display = started.display;
    while (display.presents == 0 && loop.PendingEvents() > 0)
      loop.Pump();
    if (display.presents == 0)
      state.SkipWithError("no frame was presented");
  }
}
BENCHMARK(BM_StartUpToFirstFrame)->Unit(benchmark::kMillisecond);

// A script on a shown page creating N rectangles that all ask for the same name, through the whole
// window (run-time states, plug-in hosts, hover marks follow the list). Time per object must stay
// flat as N grows.
void BM_CreateObjectsInWindow(benchmark::State& state) {
  const int64_t count = state.range(0);
  test::RecordingDialogs dialogs;
  NoProfile profile;
  TempFiles files;
  for (auto _ : state) {
    StartedWindow started(state, dialogs, profile, files);
    BenchLoop& loop = started.loop;
    BenchDisplay& display = started.display;
    PlayerWindow& window = started.window;
    window.RunScriptText("For i=1 To " + std::to_string(count) +
                         "\nCreateRectangle(\"R\",\"\")\nNext i");
    while (loop.PendingEvents() > 0 && display.presents < 2)
      loop.Pump();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_CreateObjectsInWindow)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qlm
