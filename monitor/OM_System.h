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

// The name of the local socket for a name that stands for a device, unique to this user (and on
// Windows to the login session).
QString localServerName(const QString &sName);

// The name itself, made unique to this user and login session where the directory alone does not
// tell them apart (Windows, whose pipe names all users share).
QString sessionName(const QString &sName);

} // namespace OM_System
