#include "AutostartUsage.h"

#include "OrvaneIdentity.h"

namespace autostart {

std::string usageSynopsis() {
    return std::string("Usage: ") + kProgram +
           " [--all-users] --enable ADDRESS | --disable [ADDRESS] | --list\n"
           "  or:  " +
           kProgram + " [-h | -V]\n";
}

std::string versionText() {
    return std::string(kProgram) + " " + orvane::kVersion + "\n";
}

std::string helpText() {
    return usageSynopsis() + "Starts " + orvane::kProductName +
           " at login, one monitor for each device enabled here.\n"
           "Without an option, starts the monitor for the address that earlier versions\n"
           "saved (their login entry runs this), or with its address dialog without one.\n"
           "\n"
           "Options:\n"
           "  --enable ADDRESS   start the monitor of the device at the IPv4 address ADDRESS\n"
           "                     (dotted quad such as 192.168.1.10) at every login\n"
           "  --disable ADDRESS  no longer start the monitor of that device at login\n"
           "  --disable          no longer start any monitor at login\n"
           "  --list             print the devices whose monitor starts at login, one\n"
           "                     address a line; those that start for all users end in\n"
           "                     \" (all users)\"\n"
           "  --all-users        Windows: --enable and --disable act for all users of this\n"
           "                     PC rather than for this user alone; needs administrator\n"
           "                     rights. The installer uses it. A device that starts for\n"
           "                     all users is not enabled for a user as well\n"
           "  -h, --help         print this help\n"
           "  -V, --version      print the version\n"
           "\n"
           "Exit status:\n"
           "  0  done, also when nothing was to be done; or the monitor's own exit status\n"
           "     when it was started\n"
           "  1  a login start could not be read or written (the reason is on standard\n"
           "     error), or a device asked to stop still starts for all users\n"
           "  2  a wrong command line, or ADDRESS is not an IPv4 address\n"
           "\n"
           "Where the login starts are kept:\n"
           "  Linux    ${XDG_CONFIG_HOME:-~/.config}/autostart/\n"
           "           orvane-monitor-ADDRESS.desktop, one login entry per device, made\n"
           "           from the installed\n"
           "           share/orvane-monitor/orvane-monitor-autostart.desktop\n"
           "  Windows  the value \"" +
           orvane::kProductName +
           " ADDRESS\" of\n"
           "           HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run,\n"
           "           for all users the same under HKEY_LOCAL_MACHINE\n";
}

} // namespace autostart
