#include "SimulatedDevice.h"

#include "NetworkText.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace simdevice {

namespace {

constexpr std::size_t LARGEST_DATAGRAM = 65536;
constexpr char STATE_REQUEST[] = "state";

std::string systemError(const std::string &what) {
    return what + ": " + std::strerror(errno);
}

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

void closeFd(int &fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
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
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
        setError(error, "not an IPv4 address: " + address);
        return false;
    }
    if (!allowNonLoopback && !isLoopback(local.sin_addr)) {
        setError(error, "refusing non-loopback address " + address);
        return false;
    }
    socketFd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (socketFd < 0) {
        setError(error, systemError("cannot create a socket"));
        return false;
    }
    if (::bind(socketFd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
        setError(error, systemError("cannot bind " + address + ":" + std::to_string(port)));
        closeFd(socketFd);
        return false;
    }
    if (::pipe(wakeFds) != 0) {
        setError(error, systemError("cannot create a pipe"));
        closeFd(socketFd);
        return false;
    }
    thread = std::thread(&SimulatedDevice::serve, this);
    return true;
}

void SimulatedDevice::stop() {
    if (!isRunning()) {
        return;
    }
    const char wake = 'x';
    while (::write(wakeFds[1], &wake, 1) < 0 && errno == EINTR) {
    }
    thread.join();
    closeFd(socketFd);
    closeFd(wakeFds[0]);
    closeFd(wakeFds[1]);
}

bool SimulatedDevice::isRunning() const {
    return thread.joinable();
}

void SimulatedDevice::serve() {
    std::string request(LARGEST_DATAGRAM, '\0');
    pollfd watched[2] = {{socketFd, POLLIN, 0}, {wakeFds[0], POLLIN, 0}};
    for (;;) {
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (watched[1].revents != 0) {
            return;
        }
        if (watched[0].revents == 0) {
            continue;
        }
        sockaddr_in sender{};
        socklen_t senderLength = sizeof sender;
        const ssize_t length = ::recvfrom(socketFd, &request[0], request.size(), 0,
                                          reinterpret_cast<sockaddr *>(&sender), &senderLength);
        if (length >= 0) {
            answerRequest(request.data(), std::size_t(length), &sender, senderLength);
        }
    }
}

void SimulatedDevice::answerRequest(const char *request, std::size_t length, const void *sender,
                                    unsigned senderLength) {
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
    ::sendto(socketFd, datagram.data(), datagram.size(), 0, static_cast<const sockaddr *>(sender),
             socklen_t(senderLength));
}

// Sleeps on the stop pipe, so that stop() never waits for a delayed answer; false when stopping.
bool SimulatedDevice::waitOrStop(unsigned milliseconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    pollfd wake = {wakeFds[0], POLLIN, 0};
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            return true;
        }
        const int ready = ::poll(&wake, 1, int(left));
        if (ready > 0) {
            return false;
        }
        if (ready < 0 && errno != EINTR) {
            return true;
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
