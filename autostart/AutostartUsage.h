// The texts of --help and --version.
#pragma once

#include <string>

namespace autostart {

inline constexpr char kProgram[] = "orvane-monitor-autostart";

std::string usageSynopsis(); // the "Usage:" lines
std::string helpText();
std::string versionText(); // "orvane-monitor-autostart 1.0.13503"

} // namespace autostart
