// A simulated instrument: answers every "state" request on a UDP port of a loopback address,
// from a thread of its own, with what the test or the user has set. Plain C++ without Qt.
#pragma once

#include "BoundSocket.h"
#include "OrvaneIdentity.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>

namespace simdevice {

class SimulatedDevice {
public:
    SimulatedDevice() = default;
    ~SimulatedDevice() { stop(); } // stops and joins the answering thread
    SimulatedDevice(const SimulatedDevice &) = delete;
    SimulatedDevice &operator=(const SimulatedDevice &) = delete;

    // Binds the address (dotted quad) and port and starts answering. Refuses addresses outside
    // 127.0.0.0/8 unless allowNonLoopback is set. On failure returns false and says why.
    bool start(const std::string &address, std::uint16_t port = orvane::kQueryPort,
               std::string *error = nullptr, bool allowNonLoopback = false);
    void stop();

    // What the next requests get. The default is name "captureORVANE", user "0.0.0.0".
    void answerWith(const std::string &name, const std::string &userAddress) {
        answerRaw(name + "#" + userAddress);
    }
    // Exact bytes: may hold NUL, may exceed 128.
    void answerRaw(const std::string &datagram) {
        locked([&] {
            reply = datagram;
            silent = false;
        });
    }
    // Takes requests, answers nothing.
    void beSilent() {
        locked([this] { silent = true; });
    }
    // Waits this long before each answer (0: at once), like a device that is busy; one request
    // at a time, as a device with one answering loop would.
    void answerAfter(unsigned milliseconds) {
        locked([&] { delayMs = milliseconds; });
    }

    // The next count requests get no answer, as if lost on the way; later ones are answered again.
    void loseRequests(unsigned count) {
        locked([&] { lostRequests = count; });
    }
    // From now on every request draws kForeignDatagram first, from a socket of the device's own on
    // address and port (0: any port): what another host of the network can send to the port
    // that waits for the answer. On failure returns false and says why.
    bool sendForeignFirst(const std::string &address, std::uint16_t port, std::string *error);
    static constexpr char kForeignDatagram[] = "spoof#0.0.0.0";

    std::size_t requestsSeen() const { return requests; }

    // What the device answers now, and the bytes of the last request it saw.
    bool isSilent() const {
        return locked([this] { return silent; });
    }
    unsigned answerDelayMs() const {
        return locked([this] { return delayMs; });
    }
    std::string answer() const {
        return locked([this] { return reply; });
    }
    std::string lastRequest() const {
        return locked([this] { return lastRequestBytes; });
    }
    bool isRunning() const { return thread.joinable(); }

private:
    // What the function returns, called with the mutex held.
    template <typename Function> std::invoke_result_t<Function> locked(Function function) const {
        const std::lock_guard<std::mutex> lock(mutex);
        return function();
    }

    void serve();
    void answerRequest(const std::string &request, const Peer &sender);

    mutable std::mutex mutex;
    // Set under the mutex, so that a wait for a delayed answer on stopRequested ends at once.
    std::atomic<bool> stopping{false};
    std::condition_variable stopRequested;
    std::string reply = "captureORVANE#0.0.0.0";
    bool silent = false;
    unsigned delayMs = 0;
    unsigned lostRequests = 0;
    std::unique_ptr<BoundSocket> foreignSocket;
    std::string lastRequestBytes;
    std::atomic<std::size_t> requests{0};

    BoundSocket socket;
    std::thread thread;
};

} // namespace simdevice
