#include "SimulatedDevice.h"

#include <chrono>

namespace simdevice {

namespace {

// The longest the answering thread waits for a request before it looks whether to stop: stop()
// takes at most this long, and an idle device wakes twenty times a second.
constexpr std::uint32_t STOP_CHECK_MS = 50;

// The request is "state" and a NUL; the text up to the first NUL decides.
bool isStateRequest(const std::string &request) {
    return request.compare(0, request.find('\0'), "state") == 0;
}

} // namespace

bool SimulatedDevice::start(const std::string &address, std::uint16_t port, std::string *error,
                            bool allowNonLoopback) {
    std::string why = "the simulated device is already running";
    if (isRunning() || !socket.open(address, port, allowNonLoopback, STOP_CHECK_MS, &why)) {
        if (error != nullptr) {
            *error = why;
        }
        return false;
    }
    stopping = false;
    thread = std::thread(&SimulatedDevice::serve, this);
    return true;
}

void SimulatedDevice::stop() {
    if (!isRunning()) {
        return;
    }
    locked([this] { stopping = true; });
    stopRequested.notify_all();
    thread.join();
    socket.close();
}

bool SimulatedDevice::sendForeignFirst(const std::string &address, std::uint16_t port,
                                       std::string *error) {
    auto foreign = std::make_unique<BoundSocket>();
    if (!foreign->open(address, port, false, STOP_CHECK_MS, error)) {
        return false;
    }
    locked([&] { foreignSocket = std::move(foreign); });
    return true;
}

void SimulatedDevice::serve() {
    std::string request;
    Peer sender;
    while (!stopping) {
        if (socket.receive(&request, &sender) == BoundSocket::Received::Datagram) {
            answerRequest(request, sender);
        }
    }
}

void SimulatedDevice::answerRequest(const std::string &request, const Peer &sender) {
    std::unique_lock<std::mutex> lock(mutex);
    lastRequestBytes = request;
    if (!isStateRequest(request)) {
        return;
    }
    ++requests;
    if (foreignSocket) {
        foreignSocket->send(kForeignDatagram, sender);
    }
    if (lostRequests > 0) {
        --lostRequests;
        return;
    }
    if (silent) {
        return;
    }
    const std::string datagram = reply;
    // The delay is a wait for the stop request, so that stop() never waits for a delayed answer.
    if (stopRequested.wait_for(lock, std::chrono::milliseconds(delayMs),
                               [this] { return stopping.load(); })) {
        return;
    }
    lock.unlock();
    socket.send(datagram, sender);
}

} // namespace simdevice
