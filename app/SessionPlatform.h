#pragma once

#include <vector>

namespace orvane {

// What a Wayland session with X11 beside it asks for (see sessionPlatform).
inline constexpr char kX11First[] = "xcb;wayland";

// The windowing platform the program asks Qt for, or nullptr to leave the choice to Qt.
// A Wayland session that also offers X11 through XWayland (WAYLAND_DISPLAY and DISPLAY both set)
// gets "xcb;wayland": on X11 the window can put itself in the corner and stay on top of the
// others, which Wayland leaves to the compositor; should the X display fail, Qt falls back to
// Wayland. A platform the user named (QT_QPA_PLATFORM, or -platform among the arguments) always
// stands. Never on Windows.
const char *sessionPlatform(int argc, char **argv);

// The arguments to build the application object from: argv, with "-platform" and the session
// platform added when there is one (the toolkit takes both out again), and a null pointer at the
// end, which argc does not count.
std::vector<char *> argumentsWithSessionPlatform(int argc, char **argv);

} // namespace orvane
