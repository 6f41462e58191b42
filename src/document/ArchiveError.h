#pragma once

#include <stdexcept>
#include <string>

namespace qlm {

// Raised inside the readers; caught where a load starts, which turns it into a message and
// leaves the previous project in place.
class ArchiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A read asked for more bytes than the source still holds.
class ArchiveEndOfData : public ArchiveError {
 public:
  ArchiveEndOfData() : ArchiveError("end of data") {}
};

// The stream holds something no writer produces (for example two wide-string markers).
class ArchiveDamaged : public ArchiveError {
 public:
  using ArchiveError::ArchiveError;
};

// The stream cannot be followed any further; `message` is shown to the user as it is.
class LoadAbandoned : public ArchiveError {
 public:
  explicit LoadAbandoned(const std::string& message) : ArchiveError(message) {}
};

}  // namespace qlm
