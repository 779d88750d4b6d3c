// The commands that steer a running simulated device, one line each, as typed on standard input.
#pragma once

#include "DeviceOptions.h"
#include "SimulatedDevice.h"

#include <string>
#include <utility>

namespace simdevice {

// "command argument": the text before the first blank, and all after it, further blanks included.
std::pair<std::string, std::string> splitAtBlank(const std::string &text);

class DeviceConsole {
public:
    // Makes the device answer name#user at once.
    DeviceConsole(SimulatedDevice &device, const std::string &name, const std::string &user);

    // Carries out one command line and returns the one-line acknowledgement (without line end):
    // "ok: ..." on success, "error: ..." for a command that was not understood.
    std::string execute(std::string line);

private:
    std::string answerNameAndUser();
    std::string answerRaw(const std::string &bytes, const std::string &what);
    std::string describeAnswer() const;

    SimulatedDevice &device;
    std::string name;
    std::string user;
};

// A device as orvane-simdevice runs one, with the program's defaults, and its console.
struct SteeredDevice {
    DeviceOptions options;
    SimulatedDevice device;
    DeviceConsole console{device, options.name, options.user};
};

} // namespace simdevice
