// The simulated device's socket on Linux: BSD sockets, and a pipe that wakes the waiting thread.
#include "DeviceSocket.h"

#include "NetworkText.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace simdevice {

struct DeviceSocket::Handles {
    int socket = -1;
    int wakePipe[2] = {-1, -1};
};

namespace {

std::string systemError(const std::string &what) {
    return what + ": " + std::strerror(errno);
}

void closeFd(int &fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

sockaddr_in socketAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = htonl(address);
    return result;
}

} // namespace

DeviceSocket::DeviceSocket() : handles(std::make_unique<Handles>()) {}

DeviceSocket::~DeviceSocket() {
    close();
}

bool DeviceSocket::open(const std::string &address, std::uint16_t port, std::string *error) {
    std::uint32_t ipv4 = 0;
    if (!parseIPv4(address, &ipv4)) {
        *error = "not an IPv4 address: " + address;
        return false;
    }
    const sockaddr_in local = socketAddress(ipv4, port);
    handles->socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (handles->socket < 0) {
        *error = systemError("cannot create a socket");
        return false;
    }
    if (::bind(handles->socket, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0) {
        *error = systemError("cannot bind " + address + ":" + std::to_string(port));
        close();
        return false;
    }
    if (::pipe(handles->wakePipe) != 0) {
        *error = systemError("cannot create a pipe");
        close();
        return false;
    }
    return true;
}

void DeviceSocket::close() {
    closeFd(handles->socket);
    closeFd(handles->wakePipe[0]);
    closeFd(handles->wakePipe[1]);
}

DeviceSocket::Event DeviceSocket::wait(int timeoutMs, bool watchDatagrams) {
    // The wake-up comes first, so that it wins over a datagram that arrives at the same time.
    pollfd watched[2] = {{handles->wakePipe[0], POLLIN, 0}, {handles->socket, POLLIN, 0}};
    const int ready = ::poll(watched, watchDatagrams ? 2 : 1, timeoutMs < 0 ? -1 : timeoutMs);
    if (ready < 0) {
        return errno == EINTR ? Event::Nothing : Event::Failure;
    }
    if (watched[0].revents != 0) {
        return Event::Woken;
    }
    return watchDatagrams && watched[1].revents != 0 ? Event::Datagram : Event::Nothing;
}

void DeviceSocket::wake() {
    const char wakeByte = 'x';
    while (::write(handles->wakePipe[1], &wakeByte, 1) < 0 && errno == EINTR) {
    }
}

long DeviceSocket::receive(char *buffer, std::size_t capacity, Peer *sender) {
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t length = ::recvfrom(handles->socket, buffer, capacity, 0,
                                      reinterpret_cast<sockaddr *>(&from), &fromLength);
    sender->address = ntohl(from.sin_addr.s_addr);
    sender->port = ntohs(from.sin_port);
    return long(length);
}

void DeviceSocket::send(const std::string &datagram, const Peer &receiver) {
    const sockaddr_in to = socketAddress(receiver.address, receiver.port);
    ::sendto(handles->socket, datagram.data(), datagram.size(), 0,
             reinterpret_cast<const sockaddr *>(&to), sizeof to);
}

} // namespace simdevice
