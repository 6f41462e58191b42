#pragma once

#include <cstdint>
#include <list>
#include <unordered_map>
#include <unordered_set>

#include "graphics/Image24.h"

namespace qlm {

class Dialogs;
class PackedPicture;

// The decoded pixels of packed pictures, kept within a memory budget: the least recently drawn
// go first. Pixels handed out stay valid until the next Trim, so a frame can draw everything it
// asked for even when it asked for more than the budget.
class PictureStore {
 public:
  static constexpr uint64_t kDefaultBudget = 256ull * 1024 * 1024;

  explicit PictureStore(uint64_t budgetBytes = kDefaultBudget) : budget_(budgetBytes) {}
  PictureStore(const PictureStore&) = delete;
  PictureStore& operator=(const PictureStore&) = delete;

  void SetBudget(uint64_t bytes) { budget_ = bytes; }
  uint64_t Budget() const { return budget_; }
  // Where a picture found damaged on decoding is reported, once per picture; null: nowhere.
  void SetDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }

  // The pixels of the picture, decoded now unless held; it becomes the most recently drawn.
  const Image24& Pixels(const PackedPicture& picture);
  // Decodes a picture that is about to be drawn, when its pixels fit beside those held without
  // pushing any out. False when they do not fit; true when held already or decoded.
  bool DecodeAhead(const PackedPicture& picture);
  bool Holds(const PackedPicture& picture) const;
  // Lets go of the least recently drawn pixels until the rest fit the budget.
  void Trim();
  uint64_t HeldBytes() const { return held_; }

 private:
  friend class PackedPicture;
  struct Entry {
    uint64_t id = 0;
    Image24 image;
  };
  using Entries = std::list<Entry>;  // most recently drawn first

  uint64_t NewId() { return ++lastId_; }
  void Forget(uint64_t id);
  Entries::iterator Decode(const PackedPicture& picture, Entries::iterator where);

  uint64_t budget_;
  uint64_t held_ = 0;
  uint64_t lastId_ = 0;
  Dialogs* dialogs_ = nullptr;
  Entries entries_;
  std::unordered_map<uint64_t, Entries::iterator> index_;
  std::unordered_set<uint64_t> reported_;  // pictures whose damage has been shown
};

}  // namespace qlm
