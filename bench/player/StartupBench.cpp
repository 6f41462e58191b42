// Start-up to the first composed frame, beside reading and parsing the same document alone.
// The ratio of the two is the cost the window's set-up adds on top of the reader.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "document/Inflate.h"
#include "document/LoadContext.h"
#include "document/PictureStore.h"
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

// A presentation of `pages` pages of 50 objects each, 1024 x 768, with a background image on
// the first page.
fs::path ObjectPages(int pages) {
  Project project;
  project.settings.clientWidth = 1024;
  project.settings.clientHeight = 768;
  for (int p = 0; p < pages; ++p) {
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
  const fs::path file =
      fs::temp_directory_path() / ("qlm-startup-bench-" + std::to_string(pages) + ".qmd");
  test::WriteProjectFile(file, project, 29);
  return file;
}

const fs::path& Document() {
  static const fs::path path = ObjectPages(40);
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
  StartedWindow(benchmark::State& state, Dialogs& dialogs, ProfileStore& profile, FileSystem& files,
                const fs::path& document = Document())
      : context{loop, display, dialogs, profile, files, {}, CodePage(), nullptr, 1u},
        window(context) {
    loop.SetHandler(&window);
    if (!window.OpenDocument(document.string()))
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

// The first frame of documents of 40 and of 400 pages of 50 objects: pages not shown first are
// only checked at opening, so ten times the pages should cost far less than ten times the time.
void BM_FirstFrameByPageCount(benchmark::State& state) {
  const fs::path document = ObjectPages(static_cast<int>(state.range(0)));
  test::RecordingDialogs dialogs;
  NoProfile profile;
  TempFiles files;
  for (auto _ : state) {
    StartedWindow started(state, dialogs, profile, files, document);
    while (started.display.presents == 0 && started.loop.PendingEvents() > 0)
      started.loop.Pump();
  }
  fs::remove(document);
}
BENCHMARK(BM_FirstFrameByPageCount)->Arg(40)->Arg(400)->Unit(benchmark::kMillisecond);

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

// Resident memory of the process in megabytes.
double ResidentMb() {
  std::ifstream statm("/proc/self/statm");
  uint64_t size = 0, resident = 0;
  statm >> size >> resident;
  return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

// A smooth picture that packs well, different for each seed.
Image24 Smooth(uint32_t width, uint32_t height, uint32_t seed) {
  Image24 image{width, height, std::vector<uint8_t>(PixelBytes(width, height))};
  size_t i = 0;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      image.pixels[i++] = static_cast<uint8_t>(x / 4 + seed);
      image.pixels[i++] = static_cast<uint8_t>(y / 3 + seed * 7);
      image.pixels[i++] = static_cast<uint8_t>((x + y) / 8);
    }
  }
  return image;
}

// A picture that packs about 2:1, like the pixels of a photograph.
Image24 Grainy(uint32_t width, uint32_t height, uint32_t seed) {
  Image24 image = Smooth(width, height, seed);
  uint32_t state = seed * 2654435761u + 1;
  for (uint8_t& byte : image.pixels) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(byte + ((state >> 24) & 15));
  }
  return image;
}

// `pages` pages of width x height backgrounds written by the project writer. Only `distinct`
// pictures are packed; the pages take them in turn, each as a picture of its own, so the
// writer copies packed bytes instead of packing each page again.
fs::path BackgroundDocument(const std::string& name, int pages, int distinct, uint32_t width,
                            uint32_t height, bool grainy) {
  const fs::path file = fs::temp_directory_path() / name;
  auto store = std::make_shared<PictureStore>();
  std::vector<SharedBytes> streams;
  for (int i = 0; i < distinct; ++i) {
    const Image24 image = grainy ? Grainy(width, height, static_cast<uint32_t>(i))
                                 : Smooth(width, height, static_cast<uint32_t>(i));
    streams.push_back(SharedBytes::Adopt(DeflateZlib(image.pixels, 1)));
  }
  Project project;
  project.settings.clientWidth = static_cast<uint32_t>(width);
  project.settings.clientHeight = static_cast<uint32_t>(height);
  for (int p = 0; p < pages; ++p) {
    PageRecord page;
    page.name = "Page " + std::to_string(p + 1);
    page.hasImage = 1;
    page.image.form = ImageForm::Zlib;
    page.image.packed = std::make_shared<const PackedPicture>(
        store, PictureLayout{PictureCoding::Zlib, width, height, PixelBytes(width, height), false},
        streams[static_cast<size_t>(p % distinct)]);
    project.pages.push_back(std::move(page));
  }
  project.storedPageCount = static_cast<uint32_t>(pages);
  test::WriteProjectFile(file, project, 29);
  return file;
}

// 200 backgrounds of 800 x 600 that pack well.
const fs::path& TwoHundredBackgrounds() {
  static const fs::path path =
      BackgroundDocument("qlm-bench-200-backgrounds.qmd", 200, 200, 800, 600, false);
  return path;
}

// The first frame of the 200-background document. Arg 0: every picture decoded while reading,
// as the player did before pictures were kept packed; arg 1: decoded when drawn.
void BM_FirstFrameOfBackgrounds(benchmark::State& state) {
  const bool packed = state.range(0) != 0;
  const fs::path& document = TwoHundredBackgrounds();
  test::RecordingDialogs dialogs;
  NoProfile profile;
  TempFiles files;
  double grown = 0, openGrown = 0;
  for (auto _ : state) {
    const double before = ResidentMb();
    BenchLoop loop;
    BenchDisplay display;
    PlayerContext context{loop, display, dialogs, profile, files, {}, CodePage(), nullptr, 1u};
    PlayerWindow window(context);
    loop.SetHandler(&window);
    bool opened = false;
    if (packed) {
      opened = window.OpenDocument(document.string());
    } else {
      LoadContext ctx(dialogs);
      LoadResult result = test::LoadProjectFile(document, ctx);
      opened = result.Ok() && window.OpenProject(std::move(result.project));
    }
    if (!opened)
      state.SkipWithError("the document does not load");
    openGrown = std::max(openGrown, ResidentMb() - before);
    window.Initialize();
    while (display.presents == 0 && loop.PendingEvents() > 0)
      loop.Pump();
    grown = std::max(grown, ResidentMb() - before);
    loop.SetHandler(nullptr);
  }
  state.counters["resident_MB"] = grown;
  state.counters["resident_open_MB"] = openGrown;
}
BENCHMARK(BM_FirstFrameOfBackgrounds)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A large document of grainy 1024 x 768 backgrounds (QLM_BENCH_LARGE_MB, default 650 MB):
// the first frame, then every page shown in turn. Resident memory is measured against the
// process before the window opened, at its highest while paging.
void BM_PageThroughLargeDocument(benchmark::State& state) {
  const char* wanted = std::getenv("QLM_BENCH_LARGE_MB");
  const double megabytes = wanted ? std::atof(wanted) : 650;
  const Image24 probe = Grainy(1024, 768, 0);
  const double pageMb = static_cast<double>(DeflateZlib(probe.pixels, 1).size()) / 1e6;
  const int pages = std::max(2, static_cast<int>(megabytes / pageMb));
  const fs::path document = BackgroundDocument("qlm-bench-large.qmd", pages, 16, 1024, 768, true);
  test::RecordingDialogs dialogs;
  NoProfile profile;
  TempFiles files;
  double firstFrameMs = 0, grown = 0;
  for (auto _ : state) {
    const double before = ResidentMb();
    const auto start = std::chrono::steady_clock::now();
    BenchLoop loop;
    BenchDisplay display;
    PlayerContext context{loop, display, dialogs, profile, files, {}, CodePage(), nullptr, 1u};
    PlayerWindow window(context);
    loop.SetHandler(&window);
    if (!window.OpenDocument(document.string()))
      state.SkipWithError("the document does not load");
    window.Initialize();
    while (display.presents == 0 && loop.PendingEvents() > 0)
      loop.Pump();
    firstFrameMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    for (int p = 2; p <= pages; ++p) {
      const int shown = display.presents;
      window.RunScriptText("Page(\"Page " + std::to_string(p) + "\")");
      while (display.presents == shown && loop.PendingEvents() > 0)
        loop.Pump();
      loop.Pump();  // the next page's pictures, decoded ahead
      grown = std::max(grown, ResidentMb() - before);
    }
    loop.SetHandler(nullptr);
  }
  fs::remove(document);
  state.counters["document_MB"] = static_cast<double>(pages) * pageMb;
  state.counters["pages"] = pages;
  state.counters["first_frame_ms"] = firstFrameMs;
  state.counters["resident_MB"] = grown;
}
BENCHMARK(BM_PageThroughLargeDocument)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qlm
