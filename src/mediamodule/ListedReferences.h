#pragma once

#include <string>

#include "platform/MediaFile.h"

namespace qlm {

// Adds `name` to `refused` unless it is there already.
void AddRefused(RefusedReferences& refused, std::string name);

// Adds what the text list `file` names to `refused`: the entries of a playlist (M3U, known by
// its "#EXTM3U" line or its extension; PLS), of a stream list (HLS), of an edit list and of a
// concat list, read from the list's first 64 KiB. Names relative to the list are made absolute
// against the folder of `file.named`, addresses stay as written. Other files name nothing.
// For a library that refuses such a list without saying what it named.
void AddListedReferences(const MediaFile& file, RefusedReferences& refused);

}  // namespace qlm
