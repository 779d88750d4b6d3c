// --enable, --disable and --list, done on the system's login starts (LoginStarts.h): the part of
// the program that is the same on every system.
#pragma once

#include "LoginStarts.h"

#include <QString>

#include <cstdio>

namespace autostart {

inline constexpr char kProgram[] = "orvane-monitor-autostart";

// Does what the option --enable, --disable or --list (action: its name) asks, for the device at
// the address, which has passed the address rule, or for every device without one (--disable).
// What was done goes to standard output, one line each; a refusal or failure to standard error,
// as one line. Returns the exit status.
int runLoginStartCommand(const QString &action, const QString &address, LoginScope scope);

// One line of the program, "orvane-monitor-autostart: TEXT", to standard output or the stream.
void note(const QString &text, std::FILE *stream = stdout);

// The address as the device's four numbers, without leading zeros ("10.01.1.09" -> "10.1.1.9"),
// so that one device has one name. Only for text that passes bIsDeviceAddress.
QString canonicalAddress(const QString &address);

} // namespace autostart
