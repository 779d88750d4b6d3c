// The command line of orvane-monitor-autostart, read into plain values so that main only acts on
// them.
#pragma once

#include <string>
#include <vector>

namespace autostart {

enum class AutostartAction {
    StartMonitor, // no option: what the login entry of earlier versions runs
    Enable,
    Disable,    // the one device of address
    DisableAll, // every device of the scope
    List,
    ShowHelp,
    ShowVersion,
    UsageError,
};

struct AutostartOptions {
    AutostartAction action = AutostartAction::UsageError;
    std::string address; // accepted by the address rule, in canonical form (Enable, Disable)
    bool allUsers = false;
    std::string error; // why the command line was refused (UsageError only)
};

// Arguments without the program name.
AutostartOptions parseAutostartOptions(const std::vector<std::string> &args);

// The address as the device's four numbers, without leading zeros ("10.01.1.09" -> "10.1.1.9"),
// so that one device has one name. Only for text that passes bIsDeviceAddress.
std::string canonicalAddress(const std::string &address);

// Printable ASCII as it is, any other byte as \xNN: a text from outside fit for a message line.
std::string printable(const std::string &text);

} // namespace autostart
