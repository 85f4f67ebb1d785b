// Keeping a window above the others, without re-creating, moving, resizing or
// hiding it.
#pragma once

class QString;
class QWidget;

namespace pellora {

// Before the application object exists: on a Wayland desktop that also runs
// Xwayland, run through it (as an X11 client the window manager keeps a window
// on top when asked; a native Wayland client cannot ask). Leaves the choice to
// the user when QT_QPA_PLATFORM is set.
void preferPlatformThatKeepsAbove();

// False where the platform gives a program no way to keep its window on top:
// a native Wayland client.
bool canKeepAbove();
// What to tell the user where canKeepAbove() is false.
QString keepAboveLimit();

// On X11 asks the window manager for _NET_WM_STATE_ABOVE (or to drop it);
// elsewhere sets the stays-on-top flag of the platform window.
void keepAbove(QWidget* window, bool above);

}  // namespace pellora
