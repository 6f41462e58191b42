#include "player/PageIndexes.h"

namespace qlm {
namespace {

// Pages this small cost less to walk than to index.
constexpr size_t kIndexedFrom = 32;
// Indexes of pages no longer asked are dropped now and then.
constexpr size_t kMaxIndexes = 64;

}  // namespace

const std::vector<uint32_t>* PageIndexes::ObjectsIn(const PageRecord& page, const IntRect& box,
                                                    PaintRuntime& runtime) {
  if (page.objects.size() < kIndexedFrom || page.objects.size() > UINT32_MAX)
    return nullptr;
  const std::optional<uint64_t> revision = runtime.LayoutRevision();
  if (!revision)
    return nullptr;
  if (indexes_.size() > kMaxIndexes && !indexes_.contains(&page))
    indexes_.clear();
  std::unique_ptr<PageIndex>& index = indexes_[&page];
  if (!index || !index->Fits(page, *revision))
    index = std::make_unique<PageIndex>(page, runtime, *revision);
  return index->ObjectsIn(box);
}

}  // namespace qlm
