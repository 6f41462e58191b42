#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/SharedBytes.h"

namespace qlm {

// A file opened for reading, read by position so several readers can share it (the trailer of
// a stand-alone file, then the project inside it).
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // The size in bytes when the file was opened.
  virtual uint64_t Size() const = 0;
  // Fills `out` with the bytes from `offset` on; false when fewer could be read (read error, or
  // the file shrank since it was opened).
  virtual bool ReadAt(uint64_t offset, std::span<uint8_t> out) = 0;
  // The host's descriptor of an open disk file, for a library that reads by descriptor; -1 for
  // bytes that are not a host file. It stays owned by this object.
  virtual int HostDescriptor() const { return -1; }
  // The whole file as one read-only view that outlives this object. Hosts map it; this
  // fallback reads it into one buffer. Nullopt when it cannot be read whole.
  virtual std::optional<SharedBytes> ViewWhole();
};

}  // namespace qlm
