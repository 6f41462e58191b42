#include "media/MciObjects.h"

#include <cstdio>

#include "document/PageRecord.h"
#include "platform/AsciiText.h"

namespace qlm {

void MciObjects::Command(const ObjectRecord& object, std::string_view verb, const std::string& path,
                         int64_t parentHandle) {
  if (object.text.empty())
    return;
  const std::string& alias = object.name;
  const std::string key = AsciiLower(alias);
  const std::string lowerVerb = AsciiLower(verb);
  if (lowerVerb == "close") {
    if (open_.erase(key) > 0) {
      send_("stop " + alias);
      send_("close " + alias);
    }
    return;
  }
  if (!open_.contains(key)) {
    const size_t wave = AsciiLower(object.text).find(".wav");
    if (wave != std::string::npos && wave >= 2) {
      send_("open " + path + " alias " + alias);
    } else {
      // A device with pictures: a child of the player window, placed over the object and
      // hidden at once.
      send_("open " + path + " alias " + alias + " style child parent " +
            std::to_string(parentHandle));
      const IntRect& r = object.rect;
      char place[96];
      std::snprintf(place, sizeof place, "%d %d %lld %lld", r.left, r.top,
                    static_cast<long long>(r.right) - r.left,
                    static_cast<long long>(r.bottom) - r.top);
      send_("put " + alias + " window at " + place);
      send_("window " + alias + " state hide");
    }
    open_.insert(key);
  }
  if (lowerVerb == "play" || lowerVerb == "pause" || lowerVerb == "stop")
    send_(lowerVerb + " " + alias);
}

bool MciObjects::IsOpen(const ObjectRecord& object) const {
  return open_.contains(AsciiLower(object.name));
}

void MciObjects::ClosePage(const PageRecord& page) {
  for (const ObjectRecord& object : page.objects) {
    if (object.typeCode == kObjMci)
      Command(object, "close", std::string(), 0);
  }
}

}  // namespace qlm
