#include "FakeSocketLayer.h"

#include <algorithm>
#include <cstring>

namespace fakesocket {

namespace {

Script currentScript;
Record currentRecord;

orvane::SocketHandle createSocket() {
    return currentScript.failCreate ? orvane::INVALID_SOCKET_HANDLE : FAKE_SOCKET;
}

int closeSocket(orvane::SocketHandle socket) {
    currentRecord.closed.push_back(socket);
    return 0;
}

int setReceiveTimeout(orvane::SocketHandle, std::uint32_t timeoutMs) {
    currentRecord.timeoutMs = timeoutMs;
    return currentScript.failSetOption ? -1 : 0;
}

long sendTo(orvane::SocketHandle, const void *data, std::size_t length, std::uint32_t address,
            std::uint16_t port) {
    currentRecord.sent.assign(static_cast<const char *>(data), length);
    currentRecord.destination = address;
    currentRecord.port = port;
    return currentScript.failSend ? -1 : long(length);
}

// The datagram comes from where the request went.
long receiveWithSender(orvane::SocketHandle, void *buffer, std::size_t capacity,
                       std::uint32_t *sender, std::uint16_t *senderPort) {
    currentRecord.receiveCapacity = capacity;
    *sender = currentRecord.destination;
    *senderPort = currentRecord.port;
    if (currentScript.failReceive) {
        return -1;
    }
    const std::string &datagram = currentScript.datagram;
    std::memcpy(buffer, datagram.data(), std::min(capacity, datagram.size()));
    return currentScript.realLength >= 0 ? currentScript.realLength : long(datagram.size());
}

int lastSocketError() {
    return currentScript.errorCode;
}

} // namespace

orvane::PlatformLayer install(const Script &script) {
    currentScript = script;
    currentRecord = Record{};
    orvane::PlatformLayer layer = orvane::platform();
    layer.createSocket = createSocket;
    layer.closeSocket = closeSocket;
    layer.setReceiveTimeout = setReceiveTimeout;
    layer.sendTo = sendTo;
    layer.receiveWithSender = receiveWithSender;
    layer.lastSocketError = lastSocketError;
    return layer;
}

const Record &record() {
    return currentRecord;
}

} // namespace fakesocket
