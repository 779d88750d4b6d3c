// The test device in the tests' own process.
#include "TestDevice.h"

#include "DeviceConsole.h"

struct TestDevice::Impl : simdevice::SteeredDevice {};

TestDevice::TestDevice(FailureReport report)
    : impl(std::make_unique<Impl>()), reportFailure(std::move(report)) {}

TestDevice::~TestDevice() = default;

std::string TestDevice::loopbackAddress(unsigned index) {
    return "127.0.0." + std::to_string(10 + index);
}

bool TestDevice::start(const std::string &address, std::string *error) {
    return impl->device.start(address, impl->options.port, error);
}

std::string TestDevice::execute(const std::string &line) const {
    return impl->console.execute(line);
}
