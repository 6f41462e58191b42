#pragma once

#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "media/MciDevices.h"

namespace qlm {

struct ObjectRecord;
struct PageRecord;

// The MCI objects of the pages (kind 23): each plays its file (the object's text) as a device
// whose alias is the object's name. Remembers which aliases it opened.
class MciObjects {
 public:
  using Sender = std::function<MciReply(std::string_view)>;

  explicit MciObjects(Sender send) : send_(std::move(send)) {}

  // Verb "play", "pause", "stop" or "close" (any case); any other verb only opens. `path` is
  // the object's file with its path macros expanded and `parentHandle` the player window's
  // handle. Answers are ignored. An object with an empty file does nothing.
  void Command(const ObjectRecord& object, std::string_view verb, const std::string& path,
               int64_t parentHandle);

  bool IsOpen(const ObjectRecord& object) const;
  // Closes the open MCI objects of a page that is being left.
  void ClosePage(const PageRecord& page);
  // Forgets every open mark (the devices were closed as a whole).
  void ForgetAll() { open_.clear(); }

 private:
  Sender send_;
  std::set<std::string, std::less<>> open_;
};

}  // namespace qlm
