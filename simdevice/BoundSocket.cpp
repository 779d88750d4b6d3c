#include "BoundSocket.h"

#include "DeviceAddress.h"

namespace simdevice {

namespace {

constexpr std::size_t LARGEST_DATAGRAM = 65536;

// The program's own sockets, never a table that a test may have installed for the query.
const orvane::PlatformLayer &layer() {
    return orvane::nativePlatform();
}

// The system's text for the last failure, without the line end that Windows' texts carry.
std::string systemError(const std::string &what, int code) {
    std::string text = layer().errorMessage(code);
    text.erase(text.find_last_not_of("\r\n") + 1);
    return what + ": " + text;
}

} // namespace

bool BoundSocket::open(const std::string &address, std::uint16_t port, bool allowNonLoopback,
                       std::uint32_t receiveTimeoutMs, std::string *error) {
    if (!bIsDeviceAddress(address)) {
        *error = "not an IPv4 address: " + address;
        return false;
    }
    const std::uint32_t ipv4 = dwDottedQuadToIPv4(address.c_str());
    if (!allowNonLoopback && ipv4 >> 24 != 127) {
        *error = "refusing non-loopback address " + address;
        return false;
    }
    if (const std::uint32_t code = layer().startSockets(); code != 0) {
        *error = systemError("cannot start sockets", int(code));
        return false;
    }
    socketsStarted = true;
    socket = layer().createSocket();
    if (socket == orvane::INVALID_SOCKET_HANDLE) {
        *error = systemError("cannot create a socket", layer().lastSocketError());
    } else if (layer().bindSocket(socket, ipv4, port) != 0 ||
               layer().setReceiveTimeout(socket, receiveTimeoutMs) != 0) {
        *error = systemError("cannot bind " + address + ":" + std::to_string(port),
                             layer().lastSocketError());
    } else {
        return true;
    }
    close();
    return false;
}

void BoundSocket::close() {
    if (socket != orvane::INVALID_SOCKET_HANDLE) {
        layer().closeSocket(socket);
        socket = orvane::INVALID_SOCKET_HANDLE;
    }
    if (socketsStarted) {
        layer().cleanupSockets();
        socketsStarted = false;
    }
}

BoundSocket::Received BoundSocket::receive(std::string *datagram, Peer *sender) {
    datagram->resize(LARGEST_DATAGRAM);
    const long length = layer().receiveWithSender(socket, datagram->data(), datagram->size(),
                                                  &sender->address, &sender->port);
    if (length < 0) {
        datagram->clear();
        return layer().isTimeoutError(layer().lastSocketError()) ? Received::TimedOut
                                                                 : Received::Failed;
    }
    datagram->resize(std::size_t(length));
    return Received::Datagram;
}

void BoundSocket::send(const std::string &datagram, const Peer &receiver) {
    layer().sendTo(socket, datagram.data(), datagram.size(), receiver.address, receiver.port);
}

} // namespace simdevice
