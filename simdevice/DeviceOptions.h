// The command line of orvane-simdevice, and the numbers that it, the hub's command line and the
// device console read.
#pragma once

#include "OrvaneIdentity.h"

#include <cstdint>
#include <string>
#include <vector>

namespace simdevice {

struct DeviceOptions {
    std::string address = "127.0.0.1";
    std::uint16_t port = orvane::kQueryPort;
    std::string name = "captureORVANE";
    std::string user = "0.0.0.0";
    bool allowNonLoopback = false;
    bool help = false;
};

// Reads the arguments after the program name. On a bad argument returns false and says why.
bool parseDeviceOptions(const std::vector<std::string> &arguments, DeviceOptions *options,
                        std::string *error);

std::string deviceUsage(const std::string &program);

// Decimal digits only, without sign or blanks, from minimum to maximum; false for anything else.
bool parseNumber(const std::string &text, unsigned long minimum, unsigned long maximum,
                 unsigned long *value);

} // namespace simdevice
