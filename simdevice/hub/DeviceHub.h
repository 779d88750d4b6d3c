// The devices of orvane-simdevice-hub, one per loopback address, each steered through a device
// console of its own (see HubProtocol.h).
#pragma once

#include "DeviceConsole.h"

#include <map>
#include <memory>
#include <string>

namespace simdevicehub {

class DeviceHub {
public:
    // Carries out one control request and returns the answer datagram for its sender.
    std::string execute(const std::string &datagram);

    std::size_t deviceCount() const { return devices.size(); }

private:
    std::string answer(const std::string &address, const std::string &line);
    std::string start(const std::string &address);

    std::map<std::string, std::unique_ptr<simdevice::SteeredDevice>> devices;
};

} // namespace simdevicehub
