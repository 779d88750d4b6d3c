// What the simulated device needs of the system's sockets: one UDP socket bound to an address,
// and a way to wake the thread that waits on it. One implementation per system
// (DeviceSocketPosix.cpp, DeviceSocketWindows.cpp; CMake picks one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace simdevice {

// Whom to answer: the sender of a datagram, in host byte order.
struct Peer {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};

class DeviceSocket {
public:
    enum class Event { Datagram, Woken, Nothing, Failure };

    DeviceSocket();
    ~DeviceSocket(); // closes
    DeviceSocket(const DeviceSocket &) = delete;
    DeviceSocket &operator=(const DeviceSocket &) = delete;

    // Binds a UDP socket to address (dotted quad) and port. On failure returns false and says why.
    bool open(const std::string &address, std::uint16_t port, std::string *error);
    void close();

    // Waits up to timeoutMs (negative: without limit) for a datagram, when asked to watch for
    // one, or for wake(). Nothing: the time ran out or the wait was interrupted.
    Event wait(int timeoutMs, bool watchDatagrams);
    // Wakes the thread in wait(), and every later wait() until the socket is closed.
    void wake();

    // Receives one datagram of at most capacity bytes; its length, or -1 on failure.
    long receive(char *buffer, std::size_t capacity, Peer *sender);
    void send(const std::string &datagram, const Peer &receiver);

private:
    struct Handles; // the system's: the socket and what wakes its waiter
    std::unique_ptr<Handles> handles;
};

} // namespace simdevice
