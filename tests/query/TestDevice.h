// The device the network-layer and monitor tests talk to, on a loopback address of the test's
// own, steered through the device console's lines (DeviceConsole.h). On Linux the simulated
// device runs in-process (TestDeviceLinux.cpp); the Windows build, whose tests run under wine,
// steers one in orvane-simdevice-hub (TestDeviceWindows.cpp).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

class TestDevice {
public:
    // How the test framework fails the running test when a line that steers the device is
    // refused or, for a device in another process, gets no answer.
    using FailureReport = std::function<void(const std::string &what)>;

    explicit TestDevice(FailureReport reportFailure);
    ~TestDevice();

    // The index-th loopback address of the range that this build's tests own.
    static std::string loopbackAddress(unsigned index);

    bool start(const std::string &address, std::string *error);
    void answerWith(const std::string &name, const std::string &user);
    void answerRaw(const std::string &datagram);
    void beSilent();
    void loseRequests(unsigned count); // the next count requests get no answer
    // Every request draws a datagram from address and port (0: any) before the device's answer.
    void sendForeignFirst(const std::string &address, unsigned port);
    std::size_t requestsSeen() const;
    std::string lastRequest() const;

private:
    // Hands one console line to the device and returns its answer, "ok: ..." or "error: ...".
    std::string execute(const std::string &line) const;
    // The same, failing the test unless the answer is "ok: ...".
    std::string steer(const std::string &line) const;

    struct Impl;
    std::unique_ptr<Impl> impl;
    FailureReport reportFailure;
};
