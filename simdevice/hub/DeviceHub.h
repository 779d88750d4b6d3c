// The devices of orvane-simdevice-hub, one per loopback address, steered by control requests.
#pragma once

#include "HubProtocol.h"
#include "SimulatedDevice.h"

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
    std::string start(const HubRequest &request);
    std::string steer(const HubRequest &request);
    simdevice::SimulatedDevice *find(const std::string &address);

    std::map<std::string, std::unique_ptr<simdevice::SimulatedDevice>> devices;
};

} // namespace simdevicehub
