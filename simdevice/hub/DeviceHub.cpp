#include "DeviceHub.h"

namespace simdevicehub {

std::string DeviceHub::execute(const std::string &datagram) {
    const auto [id, request] = simdevice::splitAtBlank(datagram);
    const auto [address, line] = simdevice::splitAtBlank(request);
    return id + " " + answer(address, line);
}

std::string DeviceHub::answer(const std::string &address, const std::string &line) {
    if (line == "start") {
        return start(address);
    }
    if (line == "stop") {
        devices.erase(address);
        return "ok: stopped";
    }
    const auto entry = devices.find(address);
    if (entry == devices.end()) {
        return "error: no device on " + address;
    }
    return entry->second->console.execute(line);
}

std::string DeviceHub::start(const std::string &address) {
    // A device left behind by a client that ended early gives way to the new one.
    devices.erase(address);
    auto entry = std::make_unique<simdevice::SteeredDevice>();
    const std::uint16_t port = entry->options.port;
    std::string error;
    if (!entry->device.start(address, port, &error)) {
        return "error: " + error;
    }
    devices[address] = std::move(entry);
    return "ok: listening on " + address + ":" + std::to_string(port);
}

} // namespace simdevicehub
