// The monitor program that the login starts run: it lies beside this program, as installed.
// One implementation per system (MonitorProgramLinux.cpp, MonitorProgramWindows.cpp; CMake picks
// one).
#pragma once

#include <optional>
#include <string>

namespace autostart {

// The full path of the monitor beside this program (UTF-8). Throws LoginStartError when this
// program cannot find out where it is itself.
std::string monitorProgramPath();

// Runs the monitor for the address, or with its address dialog without one, and returns its exit
// status; on Linux the monitor takes this process's place. 1 with a reason on standard error when
// it cannot be started.
int runMonitor(const std::optional<std::string> &address);

} // namespace autostart
