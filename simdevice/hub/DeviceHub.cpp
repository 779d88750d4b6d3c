#include "DeviceHub.h"

#include "NetworkText.h"

namespace simdevicehub {

namespace {

std::string ok(const HubRequest &request, const std::string &data = std::string()) {
    return request.id + " ok" + (data.empty() ? "" : " " + data);
}

std::string failure(const HubRequest &request, const std::string &why) {
    return request.id + " error: " + why;
}

} // namespace

std::string DeviceHub::execute(const std::string &datagram) {
    const HubRequest request = parseHubRequest(datagram);
    if (request.command == "ping") {
        return ok(request);
    }
    if (request.command == "start") {
        return start(request);
    }
    if (request.command == "stop") {
        devices.erase(request.address);
        return ok(request);
    }
    return steer(request);
}

std::string DeviceHub::start(const HubRequest &request) {
    std::uint16_t port = 0;
    if (!simdevice::parsePort(request.argument, &port)) {
        return failure(request, "not a port: " + request.argument);
    }
    // A device left behind by a client that ended early gives way to the new one.
    devices.erase(request.address);
    auto device = std::make_unique<simdevice::SimulatedDevice>();
    std::string error;
    if (!device->start(request.address, port, &error)) {
        return failure(request, error);
    }
    devices[request.address] = std::move(device);
    return ok(request);
}

std::string DeviceHub::steer(const HubRequest &request) {
    simdevice::SimulatedDevice *device = find(request.address);
    if (device == nullptr) {
        return failure(request, "no device on " + request.address);
    }
    if (request.command == "raw") {
        device->answerRaw(request.argument);
        return ok(request);
    }
    if (request.command == "silent") {
        device->beSilent();
        return ok(request);
    }
    if (request.command == "seen") {
        return ok(request, std::to_string(device->requestsSeen()));
    }
    if (request.command == "last") {
        return request.id + " ok " + device->lastRequest();
    }
    return failure(request, "unknown command: " + request.command);
}

simdevice::SimulatedDevice *DeviceHub::find(const std::string &address) {
    const auto entry = devices.find(address);
    return entry == devices.end() ? nullptr : entry->second.get();
}

} // namespace simdevicehub
