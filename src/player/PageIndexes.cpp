#include "player/PageIndexes.h"

namespace qlm {
namespace {

// Pages this small cost less to walk than to index.
constexpr size_t kIndexedFrom = 32;
// The entries of pages no longer asked are dropped now and then.
constexpr size_t kMaxEntries = 64;

}  // namespace

const std::vector<uint32_t>* PageIndexes::ObjectsIn(const PageRecord& page, const IntRect& box,
                                                    PaintRuntime& runtime) {
  if (page.objects.size() < kIndexedFrom || page.objects.size() > UINT32_MAX)
    return nullptr;
  const std::optional<uint64_t> revision = runtime.LayoutRevision();
  if (!revision)
    return nullptr;
  if (entries_.size() > kMaxEntries && !entries_.contains(&page))
    entries_.clear();
  Entry& entry = entries_[&page];
  if (entry.index && entry.index->Fits(page, *revision))
    return entry.index->ObjectsIn(box);
  const bool asked = entry.objects == page.objects.data() && entry.count == page.objects.size() &&
                     entry.revision == *revision;
  if (!asked) {
    entry = {page.objects.data(), page.objects.size(), *revision, nullptr};
    return nullptr;
  }
  entry.index = std::make_unique<PageIndex>(page, runtime, *revision);
  return entry.index->ObjectsIn(box);
}

}  // namespace qlm
