// The commands that steer a running simulated device, one line each, as typed on standard input.
#pragma once

#include "SimulatedDevice.h"

#include <string>

namespace simdevice {

class DeviceConsole {
public:
    // Makes the device answer name#user at once.
    DeviceConsole(SimulatedDevice &device, const std::string &name, const std::string &user);

    // Carries out one command line and returns the one-line acknowledgement (without line end):
    // "ok: ..." on success, "error: ..." for a command that was not understood.
    std::string execute(const std::string &line);

    static std::string help();

private:
    std::string answerNameAndUser();
    std::string answerRaw(const std::string &bytes, const std::string &what);
    std::string describeAnswer() const;

    SimulatedDevice &device;
    std::string name;
    std::string user;
};

} // namespace simdevice
