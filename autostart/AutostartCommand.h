// --enable, --disable and --list, done on the system's login starts (LoginStarts.h): the part of
// the program that is the same on every system.
#pragma once

#include <QString>

namespace autostart {

inline constexpr char kProgram[] = "orvane-monitor-autostart";

// Does what the option --enable, --disable or --list (action: its name) asks, for the device at
// the address, which has passed the address rule, or for every device without one (--disable).
// What was done goes to standard output, one line each; a refusal or failure to standard error,
// as one line. Returns the exit status.
int runLoginStartCommand(const QString &action, const QString &address, bool allUsers);

// One line of the program to standard output or error: "orvane-monitor-autostart: TEXT".
void note(const QString &text);
void problem(const QString &text);

// The address as the device's four numbers, without leading zeros ("10.01.1.09" -> "10.1.1.9"),
// so that one device has one name. Only for text that passes bIsDeviceAddress.
QString canonicalAddress(const QString &address);

// Printable ASCII as it is, each byte of any other character as \xNN: a text from outside fit
// for a message line.
QString printable(const QString &text);

} // namespace autostart
