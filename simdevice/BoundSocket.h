// The socket of a program that answers datagrams (the simulated device, its hub): bound to an
// address and port, it waits a set time at most for each datagram, so that the program can look
// between datagrams whether it should stop or has been idle too long. Built on the network
// layer's own socket operations, it is the same on every system.
#pragma once

#include "Platform.h"

#include <cstdint>
#include <string>

namespace simdevice {

// Whom to answer: the sender of a datagram, in host byte order.
struct Peer {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};

class BoundSocket {
public:
    enum class Received { Datagram, TimedOut, Failed };

    BoundSocket() = default;
    ~BoundSocket() { close(); }
    BoundSocket(const BoundSocket &) = delete;
    BoundSocket &operator=(const BoundSocket &) = delete;

    // Binds address (a device address by the programs' own rule) and port. Refuses addresses
    // outside 127.0.0.0/8 unless allowNonLoopback is set. On failure returns false and says why.
    bool open(const std::string &address, std::uint16_t port, bool allowNonLoopback,
              std::uint32_t receiveTimeoutMs, std::string *error);
    void close();

    Received receive(std::string *datagram, Peer *sender);
    void send(const std::string &datagram, const Peer &receiver);

private:
    bool socketsStarted = false;
    orvane::SocketHandle socket = orvane::INVALID_SOCKET_HANDLE;
};

} // namespace simdevice
