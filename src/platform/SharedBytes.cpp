#include "platform/SharedBytes.h"

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#include <unistd.h>
#define QLM_HAVE_MADVISE 1
#endif

namespace qlm {

void SharedBytes::LetGo() const {
#ifdef QLM_HAVE_MADVISE
  if (!mapping_ || bytes_.empty())
    return;
  const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto begin = reinterpret_cast<uintptr_t>(bytes_.data());
  const uintptr_t first = (begin + page - 1) / page * page;
  const uintptr_t last = (begin + bytes_.size()) / page * page;
  // Only pages the bytes fill whole: neighbours may still be in use. A private mapping never
  // written to gives the file's bytes back when touched again.
  if (first < last)
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
#endif
}

}  // namespace qlm
