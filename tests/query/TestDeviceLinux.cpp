// The test device in the tests' own process.
#include "TestDevice.h"

#include "DeviceConsole.h"
#include "DeviceOptions.h"
#include "SimulatedDevice.h"

// A device as orvane-simdevice runs one, with the program's defaults.
struct TestDevice::Impl {
    simdevice::DeviceOptions defaults;
    simdevice::SimulatedDevice device;
    simdevice::DeviceConsole console{device, defaults.name, defaults.user};
};

TestDevice::TestDevice(FailureReport report)
    : impl(std::make_unique<Impl>()), reportFailure(std::move(report)) {}

TestDevice::~TestDevice() = default;

std::string TestDevice::loopbackAddress(unsigned index) {
    return "127.0.0." + std::to_string(10 + index);
}

bool TestDevice::start(const std::string &address, std::string *error) {
    return impl->device.start(address, impl->defaults.port, error);
}

std::string TestDevice::execute(const std::string &line) const {
    return impl->console.execute(line);
}
