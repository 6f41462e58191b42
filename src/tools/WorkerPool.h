#pragma once

#include <cstddef>
#include <functional>

namespace qlm {

// The number of worker threads for `tasks` independent tasks: the cores of the machine (at least
// one), never more than there are tasks, `requested` when it is above zero.
size_t WorkerCount(size_t tasks, size_t requested = 0);

// Runs task(i) for every i below `count` on `workers` threads; each thread takes the next index
// as it finishes one, so slow tasks do not hold up the others. Returns when all are done. A task
// must not throw.
void RunTasks(size_t count, size_t workers, const std::function<void(size_t)>& task);

}  // namespace qlm
