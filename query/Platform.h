// The one seam between the network layer and the operating system: the pass-through socket
// operations and the few other services the query and its log need. Linux and Windows each
// provide one table (PlatformLinux.cpp, PlatformWindows.cpp; CMake picks one).
//
// The query reaches the platform only through platform(). Tests and fuzzers install a table of
// their own (see query/testing/ScopedPlatform.h) to make operations fail, to deliver arbitrary
// datagrams or to redirect the log; of the programs, only the exporter installs one, to keep the
// receive time-out exact (exporter/OnTimeReceive.h).
#pragma once

#include "HostName.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace orvane {

using SocketHandle = std::uintptr_t;
constexpr SocketHandle INVALID_SOCKET_HANDLE = ~SocketHandle(0);

struct PlatformLayer {
    // The pass-through socket operations. They add no behaviour to the platform's calls;
    // they only hide the platform's types. Addresses and ports are in host byte order.
    SocketHandle (*createSocket)(); // IPv4 datagram socket, protocol 0
    int (*closeSocket)(SocketHandle socket);
    int (*setReceiveTimeout)(SocketHandle socket, std::uint32_t timeoutMs); // SO_RCVTIMEO
    long (*sendTo)(SocketHandle socket, const void *data, std::size_t length,
                   std::uint32_t ipv4Address, std::uint16_t port);
    // Receives one datagram of which at most capacity bytes are stored, and its sender. Returns
    // the datagram's real length, which exceeds capacity when the datagram did not fit (Linux),
    // or -1 on failure (on Windows also for a datagram that did not fit, messageTooLongError).
    long (*receiveWithSender)(SocketHandle socket, void *buffer, std::size_t capacity,
                              std::uint32_t *senderAddress, std::uint16_t *senderPort);
    // What the programs that answer requests (the simulated device and its hub) need beside them:
    // a socket bound to an address.
    int (*bindSocket)(SocketHandle socket, std::uint32_t ipv4Address, std::uint16_t port);

    std::uint32_t (*startSockets)(); // 0 or the platform's error code
    int (*cleanupSockets)();
    int (*lastSocketError)();
    // Whether a failed receive only means that no answer came: the time-out, and on Windows also
    // the report of a closed port ("port unreachable") that an earlier send drew.
    bool (*isTimeoutError)(int code);
    // Whether a failed send means that this PC has no network to the device just now: the
    // network or the host is unreachable, or the network is down.
    bool (*isNoRouteError)(int code);
    int messageTooLongError; // the code that stands for a datagram too long for the buffer
    // The system's text for an error code; on Windows the message table's, with its line end.
    std::string (*errorMessage)(int code);

    // Every IPv4 address of this PC as dotted-quad text; 0 or ERR_NO_HOST_ADDRESS.
    std::uint32_t (*getLocalAddresses)(std::vector<std::string> *addresses);
    std::uint32_t (*tickCount)(); // milliseconds, wraps after 2^32
    // The host name of an IPv4 address (host byte order) from the system's resolver; empty when
    // it knows none. Blocks for as long as the resolver takes.
    std::string (*hostNameOf)(std::uint32_t ipv4Address) = systemHostNameOf;
    // Opens the log for appending in text mode at the first of the platform's places for it that
    // takes it, making the place's folder when missing; nullptr when none does.
    std::FILE *(*openLogFile)();
};

// Runs the work on a thread of its own that nothing waits for; false when no thread could be had.
bool startDetachedThread(std::function<void()> work);

// The table of the platform the program was built for.
const PlatformLayer &nativePlatform();

// The table in use; the native one unless a test installed another.
const PlatformLayer &platform();
void installPlatform(const PlatformLayer &layer);

} // namespace orvane
