#pragma once

// Which Linux desktop this session runs, so the emulated services can drive it.

#include <optional>
#include <string>

namespace platform::posix {

enum class DesktopKind { None, Gnome, Cinnamon, Mate, Kde, Xfce, Lxqt, Sway, X11 };

// $TAPESTRON_DESKTOP when it names one ("gnome", "cinnamon", "mate", "kde", "xfce", "lxqt",
// "sway", "x11", "none"); otherwise told by XDG_CURRENT_DESKTOP, DESKTOP_SESSION, SWAYSOCK,
// WAYLAND_DISPLAY and DISPLAY. None when no session is found: nothing outside the emulation is
// touched then. Read afresh at every call.
DesktopKind sessionDesktop();

// The X display that takes key grabs and window activation: $DISPLAY, when the desktop is not
// None and the session is not a Wayland one (where an X server only serves older programs, and
// grabs on it would see no keys).
std::optional<std::string> sessionX11Display();

} // namespace platform::posix
