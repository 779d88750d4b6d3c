// --enable, --disable and --list, done on the system's login starts (LoginStarts.h): the part of
// the program that is the same on every system.
#pragma once

#include "AutostartOptions.h"

#include <ostream>

namespace autostart {

// Does what the options ask for (Enable, Disable, DisableAll or List). What was done goes to out,
// one line each; a refusal or failure to err, as one line. Returns the exit status.
int runLoginStartCommand(const AutostartOptions &options, std::ostream &out, std::ostream &err);

} // namespace autostart
