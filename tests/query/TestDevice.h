// The device the network-layer and monitor tests talk to, on a loopback address of the test's
// own. The native build runs the simulated device in-process (TestDeviceInProcess.cpp); the
// Windows build, whose tests run under wine, steers one in orvane-simdevice-hub
// (TestDeviceRemote.cpp).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

class TestDevice {
public:
    // How the test framework fails the running test when a request that steers the device fails,
    // which only a device in another process can.
    using FailureReport = std::function<void(const std::string &what)>;

    explicit TestDevice(FailureReport reportFailure);
    ~TestDevice();

    // The index-th loopback address of the range that this build's tests own.
    static std::string loopbackAddress(unsigned index);

    bool start(const std::string &address, std::string *error);
    void answerWith(const std::string &name, const std::string &user);
    void answerRaw(const std::string &datagram);
    void beSilent();
    std::size_t requestsSeen() const;
    std::string lastRequest() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};
