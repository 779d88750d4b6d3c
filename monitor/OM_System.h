// What the monitor does differently on each system: OM_SystemLinux.cpp and OM_SystemWindows.cpp.
#pragma once

#include <QString>

namespace OM_System {

// The largest tray icon this system's tray should be given, in pixels.
int largestTrayIconSize();

// The longest tooltip this system's tray shows whole; 0 where it shows any.
int trayToolTipLimit();

// Where the monitors of this user keep their lock files.
QString lockDirectory();

} // namespace OM_System
