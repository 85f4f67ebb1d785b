// Where the window opens on the screen.
#pragma once

#include "layout.h"

namespace pellora {

// `window` moved as little as possible to lie wholly inside `workArea`. Along
// an axis where it is larger than the work area it is aligned to the work
// area's left (or top) edge, so the caption stays reachable.
Rect fitIntoWorkArea(const Rect& window, const Rect& workArea);

}  // namespace pellora
