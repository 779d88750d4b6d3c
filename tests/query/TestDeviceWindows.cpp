// The test device of the Windows build, whose tests run under wine: the device runs natively in
// orvane-simdevice-hub, and this class steers it over loopback. (Under wine, a socket bound to one
// loopback address takes the port on all of them, so a device inside the tests would collide with
// every other test's.) Its socket is the simulated device's own kind, on a free port of the
// device's address, never one of the table a test may have replaced.
#include "TestDevice.h"

#include "BoundSocket.h"
#include "DeviceAddress.h"
#include "HubProtocol.h"

#include <atomic>

namespace {

constexpr std::uint32_t ANSWER_WAIT_MS = 1000;
constexpr int ATTEMPTS = 3;

} // namespace

struct TestDevice::Impl {
    ~Impl() {
        if (!address.empty()) {
            request("stop");
        }
    }

    // Sends "ID ADDRESS LINE" to the hub and returns its answer without the ID, sending again
    // when none comes.
    std::string request(const std::string &line) {
        static std::atomic<unsigned> lastId{0};
        const std::string id = std::to_string(++lastId) + " ";
        const simdevice::Peer hub = {dwDottedQuadToIPv4(simdevicehub::DEFAULT_CONTROL_ADDRESS),
                                     simdevicehub::DEFAULT_CONTROL_PORT};
        simdevice::Peer sender;
        std::string answer;
        for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
            socket.send(id + address + " " + line, hub);
            // Answers to earlier requests that came too late are skipped.
            while (socket.receive(&answer, &sender) == simdevice::BoundSocket::Received::Datagram) {
                if (answer.rfind(id, 0) == 0) {
                    return answer.substr(id.size());
                }
            }
        }
        return "error: no answer from orvane-simdevice-hub on " +
               std::string(simdevicehub::DEFAULT_CONTROL_ADDRESS) + ":" +
               std::to_string(simdevicehub::DEFAULT_CONTROL_PORT);
    }

    simdevice::BoundSocket socket;
    std::string address;
};

TestDevice::TestDevice(FailureReport report)
    : impl(std::make_unique<Impl>()), reportFailure(std::move(report)) {}

TestDevice::~TestDevice() = default;

// The devices take the addresses after the hub's own.
std::string TestDevice::loopbackAddress(unsigned index) {
    return "127.0.0." + std::to_string(191 + index);
}

bool TestDevice::start(const std::string &address, std::string *error) {
    if (!impl->socket.open(address, 0, false, ANSWER_WAIT_MS, error)) {
        return false;
    }
    impl->address = address;
    const std::string answer = impl->request("start");
    if (answer.rfind("ok: ", 0) != 0) {
        *error = answer;
        impl->address.clear();
        return false;
    }
    return true;
}

std::string TestDevice::execute(const std::string &line) const {
    return impl->request(line);
}
