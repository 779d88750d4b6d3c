// The test device for builds whose tests cannot host the simulated device in their own process:
// the Windows build runs under wine, where the device runs natively in orvane-simdevice-hub, and
// this class steers it over loopback. (Under wine, a socket bound to one loopback address takes
// the port on all of them, so a device inside the tests would collide with every other test's.) It
// uses the platform's own socket operations, never the table a test may have replaced.
#include "TestDevice.h"

#include "DeviceAddress.h"
#include "HubProtocol.h"
#include "OrvaneIdentity.h"
#include "OrvaneQuery.h"
#include "Platform.h"

#include <atomic>
#include <utility>

namespace {

constexpr std::uint32_t ANSWER_WAIT_MS = 1000;
constexpr int ATTEMPTS = 3;
constexpr std::size_t LARGEST_ANSWER = 65536;

std::string nextRequestId() {
    static std::atomic<unsigned> counter{0};
    return std::to_string(++counter);
}

// Whether answer answers the request with this id; its data follows "ID ok ".
bool readAnswer(const std::string &answer, const std::string &id, std::string *data,
                std::string *error) {
    const std::string okPrefix = id + " ok";
    if (answer.compare(0, okPrefix.size(), okPrefix) == 0) {
        *data = answer.size() > okPrefix.size() ? answer.substr(okPrefix.size() + 1) : "";
        return true;
    }
    *error = answer.substr(answer.find(' ') + 1);
    return false;
}

} // namespace

struct TestDevice::Impl {
    explicit Impl(FailureReport report) : reportFailure(std::move(report)) {
        started = orvane::nativePlatform().startSockets() == 0;
        socket = orvane::nativePlatform().createSocket();
    }
    ~Impl() {
        if (!address.empty()) {
            std::string data;
            std::string error;
            request("stop", "", &data, &error);
        }
        if (socket != orvane::INVALID_SOCKET_HANDLE) {
            orvane::nativePlatform().closeSocket(socket);
        }
        if (started) {
            orvane::nativePlatform().cleanupSockets();
        }
    }

    // Sends the request to the hub and waits for its answer, sending again when none comes.
    bool request(const std::string &command, const std::string &argument, std::string *data,
                 std::string *error) {
        const orvane::PlatformLayer &layer = orvane::nativePlatform();
        if (socket == orvane::INVALID_SOCKET_HANDLE ||
            layer.setReceiveTimeout(socket, ANSWER_WAIT_MS) != 0) {
            *error = "no socket to reach orvane-simdevice-hub";
            return false;
        }
        const std::string id = nextRequestId();
        const std::string datagram =
            simdevicehub::formatHubRequest({id, command, address, argument});
        std::string answer(LARGEST_ANSWER, '\0');
        for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
            layer.sendTo(socket, datagram.data(), datagram.size(), hubAddress(),
                         simdevicehub::DEFAULT_CONTROL_PORT);
            // Answers to earlier requests that came too late are skipped.
            for (;;) {
                const long length = layer.receiveFrom(socket, &answer[0], answer.size());
                if (length < 0) {
                    break;
                }
                const std::string text = answer.substr(0, std::size_t(length));
                if (text.compare(0, id.size() + 1, id + " ") == 0) {
                    return readAnswer(text, id, data, error);
                }
            }
        }
        *error = "no answer from orvane-simdevice-hub on " +
                 std::string(simdevicehub::DEFAULT_CONTROL_ADDRESS) + ":" +
                 std::to_string(simdevicehub::DEFAULT_CONTROL_PORT);
        return false;
    }

    // Requests whose failure the caller cannot report fail the running test instead.
    std::string steer(const std::string &command, const std::string &argument = "") {
        std::string data;
        std::string error;
        if (!request(command, argument, &data, &error)) {
            reportFailure("simulated device on " + address + ", " + command + ": " + error);
        }
        return data;
    }

    static std::uint32_t hubAddress() {
        return dwDottedQuadToIPv4(simdevicehub::DEFAULT_CONTROL_ADDRESS);
    }

    FailureReport reportFailure;
    bool started = false;
    orvane::SocketHandle socket = orvane::INVALID_SOCKET_HANDLE;
    std::string address;
};

TestDevice::TestDevice(FailureReport reportFailure)
    : impl(std::make_unique<Impl>(std::move(reportFailure))) {}

TestDevice::~TestDevice() = default;

// The devices take the addresses after the hub's own.
std::string TestDevice::loopbackAddress(unsigned index) {
    return "127.0.0." + std::to_string(191 + index);
}

bool TestDevice::start(const std::string &address, std::string *error) {
    impl->address = address;
    std::string data;
    if (!impl->request("start", std::to_string(orvane::kQueryPort), &data, error)) {
        impl->address.clear();
        return false;
    }
    return true;
}

void TestDevice::answerWith(const std::string &name, const std::string &user) {
    impl->steer("raw", name + "#" + user);
}

void TestDevice::answerRaw(const std::string &datagram) {
    impl->steer("raw", datagram);
}

void TestDevice::beSilent() {
    impl->steer("silent");
}

std::size_t TestDevice::requestsSeen() const {
    return std::size_t(std::stoul("0" + impl->steer("seen")));
}

std::string TestDevice::lastRequest() const {
    return impl->steer("last");
}
