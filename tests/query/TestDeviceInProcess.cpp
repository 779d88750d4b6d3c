#include "TestDevice.h"

#include "SimulatedDevice.h"

struct TestDevice::Impl {
    simdevice::SimulatedDevice device;
};

// Steering a device in the same process cannot fail.
TestDevice::TestDevice(FailureReport) : impl(std::make_unique<Impl>()) {}

TestDevice::~TestDevice() = default;

std::string TestDevice::loopbackAddress(unsigned index) {
    return "127.0.0." + std::to_string(10 + index);
}

bool TestDevice::start(const std::string &address, std::string *error) {
    return impl->device.start(address, 9758, error);
}

void TestDevice::answerWith(const std::string &name, const std::string &user) {
    impl->device.answerWith(name, user);
}

void TestDevice::answerRaw(const std::string &datagram) {
    impl->device.answerRaw(datagram);
}

void TestDevice::beSilent() {
    impl->device.beSilent();
}

std::size_t TestDevice::requestsSeen() const {
    return impl->device.requestsSeen();
}

std::string TestDevice::lastRequest() const {
    return impl->device.lastRequest();
}
