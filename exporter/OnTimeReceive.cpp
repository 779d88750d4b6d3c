#include "OnTimeReceive.h"

#include "Platform.h"

#include <cerrno>
#include <poll.h>

namespace orvaneexporter {

namespace {

// The time-out that the query on this thread gave its socket; each query runs on one thread.
thread_local std::uint32_t tlsReceiveTimeoutMs = 0;

int noteReceiveTimeout(orvane::SocketHandle socket, std::uint32_t timeoutMs) {
    tlsReceiveTimeoutMs = timeoutMs;
    return orvane::nativePlatform().setReceiveTimeout(socket, timeoutMs);
}

long receiveOnTime(orvane::SocketHandle socket, void *buffer, std::size_t capacity,
                   std::uint32_t *sender, std::uint16_t *senderPort) {
    if (tlsReceiveTimeoutMs > 0) {
        pollfd watched{static_cast<int>(socket), POLLIN, 0};
        if (::poll(&watched, 1, int(tlsReceiveTimeoutMs)) == 0) {
            errno = EAGAIN; // what the socket's own time-out reports
            return -1;
        }
    }
    // A datagram is there (or poll failed, and the socket's own time-out still holds).
    return orvane::nativePlatform().receiveWithSender(socket, buffer, capacity, sender, senderPort);
}

} // namespace

void receiveRepliesOnTime() {
    orvane::PlatformLayer layer = orvane::platform();
    layer.setReceiveTimeout = noteReceiveTimeout;
    layer.receiveWithSender = receiveOnTime;
    orvane::installPlatform(layer);
}

} // namespace orvaneexporter
