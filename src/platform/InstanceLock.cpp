#include "platform/InstanceLock.h"

#include "platform/EventLoop.h"

namespace qlm {

int WatchActivations(InstanceLock& lock, EventLoop& loop, uint32_t messageId) {
  return loop.AddSource([&lock, &loop, messageId] {
    for (ActivationRequest& r : lock.Poll()) {
      loop.PostMessage({messageId, 0, 0, {std::move(r.exeFileName), std::move(r.commandLine)}});
    }
  });
}

}  // namespace qlm
