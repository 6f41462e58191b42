#include "tools/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace qlm {

size_t WorkerCount(size_t tasks, size_t requested) {
  size_t workers = requested > 0 ? requested : std::thread::hardware_concurrency();
  return std::max<size_t>(1, std::min(workers, tasks));
}

void RunTasks(size_t count, size_t workers, const std::function<void(size_t)>& task) {
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < count; i = next++)
      task(i);
  };
  std::vector<std::thread> threads;
  for (size_t t = 1; t < workers; ++t)
    threads.emplace_back(work);
  work();
  for (std::thread& thread : threads)
    thread.join();
}

}  // namespace qlm
