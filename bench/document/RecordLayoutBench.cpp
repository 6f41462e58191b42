// Reading and writing a document of many small records (pages of text, shape and button objects
// with scripts, no pictures): what the record layout itself costs, per object.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "document/LoadContext.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "support/RecordingDialogs.h"

namespace qlm {
namespace {

constexpr int kPages = 100;
constexpr int kObjectsPerPage = 40;

ScriptBody SmallScript(int seed) {
  ScriptBody body;
  for (int i = 0; i < 3; ++i) {
    ScriptStatement& s = body.statements.emplace_back();
    s.code = KindAssign;
    s.arg2 = "Count" + std::to_string(seed) + " = Count" + std::to_string(seed) + " + 1";
  }
  return body;
}

Project ManyObjects() {
  static constexpr int32_t kKinds[] = {kObjText,    kObjRectangle,  kObjButton,  kObjTextButton,
                                       kObjHotSpot, kObjInputField, kObjListBox, kObjParagraph};
  Project p;
  for (int n = 0; n < kPages; ++n) {
    PageRecord& page = p.pages.emplace_back();
    page.name = "Page " + std::to_string(n + 1);
    page.enterScript = SmallScript(n);
    for (int i = 0; i < kObjectsPerPage; ++i) {
      ObjectRecord o = ObjectRecord::Fresh();
      o.typeCode = kKinds[i % std::size(kKinds)];
      o.extended = true;
      o.name = "Object" + std::to_string(i);
      o.rect = {10 * i, 20, 10 * i + 100, 60};
      o.text = "Some text of object " + std::to_string(i);
      o.stringList = {"first", "second"};
      o.scripts[2] = SmallScript(i);
      page.objects.push_back(std::move(o));
    }
  }
  return p;
}

const std::vector<uint8_t>& Document() {
  static const std::vector<uint8_t> bytes = WriteProject(ManyObjects(), 29);
  return bytes;
}

void BM_ReadManyRecords(benchmark::State& state) {
  test::RecordingDialogs dialogs;
  LoadContext ctx(dialogs);
  for (auto _ : state) {
    LoadResult r = LoadProjectFromMemory(Document(), ctx);
    if (!r.Ok() || r.project.pages.size() != kPages)
      state.SkipWithError("load failed");
    benchmark::DoNotOptimize(r.project.pages.data());
  }
  state.SetItemsProcessed(state.iterations() * kPages * kObjectsPerPage);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Document().size()));
}

void BM_WriteManyRecords(benchmark::State& state) {
  const Project p = ManyObjects();
  for (auto _ : state) {
    std::vector<uint8_t> bytes = WriteProject(p, 29);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetItemsProcessed(state.iterations() * kPages * kObjectsPerPage);
}

BENCHMARK(BM_ReadManyRecords)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_WriteManyRecords)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
}  // namespace qlm
