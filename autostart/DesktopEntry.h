// The login entry of one device, made from the installed template (packaging/
// orvane-monitor-autostart.desktop), which alone holds the keys that make desktops wait for the
// panel with the tray. Linux only.
#pragma once

#include <string>

namespace autostart {

// The template from its first group on, with Exec and TryExec starting the monitor at monitorPath
// for the device, and Name and Comment naming the device. Throws LoginStartError when the template
// has no Exec key or the path cannot be written in an entry (a control character or % in it).
std::string loginEntryText(const std::string &templateText, const std::string &monitorPath,
                           const std::string &address);

// One argument of Exec as the desktop entry rules want it: in double quotes, inside which a
// backslash goes before each of " ` $ and \ itself; then escaped as a string value. (No %.)
std::string execArgument(const std::string &argument);

// Whether a desktop has been told not to start the entry (Hidden=true, or GNOME's
// X-GNOME-Autostart-enabled=false).
bool isSwitchedOff(const std::string &entryText);

} // namespace autostart
