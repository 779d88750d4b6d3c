// The system's socket headers and the IPv4 socket address, which are the same on both systems
// apart from where the headers live. Only the network layer's own sources include this.
#pragma once

// winsock2.h must come before windows.h.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <cstdint>

namespace orvane {

// The socket address of an IPv4 address and a port, both given in host byte order.
inline sockaddr_in socketAddress(std::uint32_t ipv4Address, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(ipv4Address);
    return address;
}

} // namespace orvane
