#pragma once

#include <string>

namespace qlm {

// Per-user settings addressed by section and entry, holding integers and texts.
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;

  virtual int GetInt(const std::string& section, const std::string& entry, int fallback) const = 0;
  virtual std::string GetString(const std::string& section, const std::string& entry,
                                const std::string& fallback) const = 0;
  // Return false when the value could not be stored.
  virtual bool WriteInt(const std::string& section, const std::string& entry, int value) = 0;
  virtual bool WriteString(const std::string& section, const std::string& entry,
                           const std::string& value) = 0;
};

}  // namespace qlm
