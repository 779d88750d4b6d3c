#include "SimulatedDevice.h"

#include "NetworkText.h"

#include <chrono>
#include <cstring>

namespace simdevice {

namespace {

constexpr std::size_t LARGEST_DATAGRAM = 65536;
constexpr char STATE_REQUEST[] = "state";

void setError(std::string *error, const std::string &text) {
    if (error != nullptr) {
        *error = text;
    }
}

// The request is "state" and a NUL; the text up to the first NUL decides.
bool isStateRequest(const char *request, std::size_t length) {
    const std::size_t textLength = strnlen(request, length);
    return textLength == sizeof STATE_REQUEST - 1 &&
           std::memcmp(request, STATE_REQUEST, textLength) == 0;
}

} // namespace

SimulatedDevice::SimulatedDevice() = default;

SimulatedDevice::~SimulatedDevice() {
    stop();
}

bool SimulatedDevice::start(const std::string &address, std::uint16_t port, std::string *error,
                            bool allowNonLoopback) {
    if (isRunning()) {
        setError(error, "the simulated device is already running");
        return false;
    }
    std::uint32_t ipv4 = 0;
    if (!parseIPv4(address, &ipv4)) {
        setError(error, "not an IPv4 address: " + address);
        return false;
    }
    if (!allowNonLoopback && !isLoopback(ipv4)) {
        setError(error, "refusing non-loopback address " + address);
        return false;
    }
    std::string openError;
    if (!socket.open(address, port, &openError)) {
        setError(error, openError);
        return false;
    }
    thread = std::thread(&SimulatedDevice::serve, this);
    return true;
}

void SimulatedDevice::stop() {
    if (!isRunning()) {
        return;
    }
    socket.wake();
    thread.join();
    socket.close();
}

bool SimulatedDevice::isRunning() const {
    return thread.joinable();
}

void SimulatedDevice::serve() {
    std::string request(LARGEST_DATAGRAM, '\0');
    for (;;) {
        const DeviceSocket::Event event = socket.wait(-1, true);
        if (event == DeviceSocket::Event::Woken || event == DeviceSocket::Event::Failure) {
            return;
        }
        if (event != DeviceSocket::Event::Datagram) {
            continue;
        }
        Peer sender;
        const long length = socket.receive(&request[0], request.size(), &sender);
        if (length >= 0) {
            answerRequest(request.data(), std::size_t(length), sender);
        }
    }
}

void SimulatedDevice::answerRequest(const char *request, std::size_t length, const Peer &sender) {
    std::string datagram;
    unsigned delay = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        lastRequestBytes.assign(request, length);
        if (!isStateRequest(request, length)) {
            return;
        }
        ++requests;
        if (silent) {
            return;
        }
        datagram = reply;
        delay = delayMs;
    }
    if (!waitOrStop(delay)) {
        return;
    }
    socket.send(datagram, sender);
}

// Sleeps on the stop signal, so that stop() never waits for a delayed answer; false when stopping.
bool SimulatedDevice::waitOrStop(unsigned milliseconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            return true;
        }
        switch (socket.wait(int(left), false)) {
        case DeviceSocket::Event::Woken:
            return false;
        case DeviceSocket::Event::Failure:
            return true;
        default:
            break;
        }
    }
}

void SimulatedDevice::answerWith(const std::string &name, const std::string &userAddress) {
    answerRaw(name + "#" + userAddress);
}

void SimulatedDevice::answerRaw(const std::string &datagram) {
    std::lock_guard<std::mutex> lock(mutex);
    reply = datagram;
    silent = false;
}

void SimulatedDevice::beSilent() {
    std::lock_guard<std::mutex> lock(mutex);
    silent = true;
}

void SimulatedDevice::answerAfter(unsigned milliseconds) {
    std::lock_guard<std::mutex> lock(mutex);
    delayMs = milliseconds;
}

unsigned SimulatedDevice::answerDelayMs() const {
    std::lock_guard<std::mutex> lock(mutex);
    return delayMs;
}

std::size_t SimulatedDevice::requestsSeen() const {
    return requests;
}

bool SimulatedDevice::isSilent() const {
    std::lock_guard<std::mutex> lock(mutex);
    return silent;
}

std::string SimulatedDevice::answer() const {
    std::lock_guard<std::mutex> lock(mutex);
    return reply;
}

std::string SimulatedDevice::lastRequest() const {
    std::lock_guard<std::mutex> lock(mutex);
    return lastRequestBytes;
}

} // namespace simdevice
