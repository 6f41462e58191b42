#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace qlm {

// Runs `work` in a forked child process, for libraries that trust the bytes they are handed: a
// crash or a hang there ends the child, never the caller. The child writes into memory shared
// with the caller, which is copied into `out` when it finishes in time.
// Returns work's result, or nullopt when the child crashed, did not finish within `timeout`
// (it is then killed), or could not be started; `out` is then left cleared.
std::optional<bool> CallInChild(std::span<uint8_t> out,
                                const std::function<bool(std::span<uint8_t> shared)>& work,
                                std::chrono::milliseconds timeout);

}  // namespace qlm
