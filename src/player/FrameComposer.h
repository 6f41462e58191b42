#pragma once

#include "document/ObjectRecord.h"

namespace qlm {

class CPageManager;
class Surface;

// Composes the part `clip` of a frame the size of the client area: the background of the page
// the page manager chooses (colour, then the image at the top-left corner or tiled). Objects
// are drawn by the page painter once it is in place; this is the part of the frame that needs
// no object painting.
void ComposeFrame(Surface& frame, const CPageManager& pages, const Rect& clip);

}  // namespace qlm
