// Keeping a window above the others, without re-creating, moving, resizing or
// hiding it.
#pragma once

class QWidget;

namespace pellora {

// On X11 asks the window manager for _NET_WM_STATE_ABOVE (or to drop it);
// elsewhere sets the stays-on-top flag of the platform window.
void keepAbove(QWidget* window, bool above);

}  // namespace pellora
