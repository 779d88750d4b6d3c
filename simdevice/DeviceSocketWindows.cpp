// The simulated device's socket on Windows: Windows Sockets 2, with the socket's readiness and
// the wake-up as two event objects that one wait watches together.
#include "DeviceSocket.h"

#include "NetworkText.h"

// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <windows.h>

namespace simdevice {

struct DeviceSocket::Handles {
    bool started = false; // Windows Sockets, for as long as the socket lives
    SOCKET socket = INVALID_SOCKET;
    WSAEVENT readable = WSA_INVALID_EVENT;
    HANDLE wakeUp = nullptr;
};

namespace {

std::string systemError(const std::string &what, int code) {
    char *message = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(code), 0, reinterpret_cast<char *>(&message), 0, nullptr);
    std::string text = length > 0 && message != nullptr ? std::string(message, length)
                                                        : "error " + std::to_string(code);
    ::LocalFree(message);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return what + ": " + text;
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
    WSADATA data;
    const int startError = ::WSAStartup(MAKEWORD(2, 2), &data);
    if (startError != 0) {
        *error = systemError("cannot start Windows Sockets", startError);
        return false;
    }
    handles->started = true;
    const sockaddr_in local = socketAddress(ipv4, port);
    handles->socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (handles->socket == INVALID_SOCKET) {
        *error = systemError("cannot create a socket", ::WSAGetLastError());
        close();
        return false;
    }
    if (::bind(handles->socket, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0) {
        *error =
            systemError("cannot bind " + address + ":" + std::to_string(port), ::WSAGetLastError());
        close();
        return false;
    }
    handles->readable = ::WSACreateEvent();
    handles->wakeUp = ::CreateEventW(nullptr, TRUE, FALSE, nullptr); // stays set once woken
    if (handles->readable == WSA_INVALID_EVENT || handles->wakeUp == nullptr ||
        ::WSAEventSelect(handles->socket, handles->readable, FD_READ) != 0) {
        *error = systemError("cannot create the socket's events", int(::GetLastError()));
        close();
        return false;
    }
    return true;
}

void DeviceSocket::close() {
    if (handles->socket != INVALID_SOCKET) {
        ::closesocket(handles->socket);
        handles->socket = INVALID_SOCKET;
    }
    if (handles->readable != WSA_INVALID_EVENT) {
        ::WSACloseEvent(handles->readable);
        handles->readable = WSA_INVALID_EVENT;
    }
    if (handles->wakeUp != nullptr) {
        ::CloseHandle(handles->wakeUp);
        handles->wakeUp = nullptr;
    }
    if (handles->started) {
        ::WSACleanup();
        handles->started = false;
    }
}

DeviceSocket::Event DeviceSocket::wait(int timeoutMs, bool watchDatagrams) {
    // The wake-up comes first, so that it wins over a datagram that arrives at the same time.
    const HANDLE watched[2] = {handles->wakeUp, handles->readable};
    const DWORD result = ::WaitForMultipleObjects(watchDatagrams ? 2 : 1, watched, FALSE,
                                                  timeoutMs < 0 ? INFINITE : DWORD(timeoutMs));
    if (result == WAIT_OBJECT_0) {
        return Event::Woken;
    }
    if (result == WAIT_TIMEOUT) {
        return Event::Nothing;
    }
    if (result != WAIT_OBJECT_0 + 1) {
        return Event::Failure;
    }
    // Resets the event; Windows sets it again while datagrams remain after the next receive.
    WSANETWORKEVENTS events{};
    ::WSAEnumNetworkEvents(handles->socket, handles->readable, &events);
    return (events.lNetworkEvents & FD_READ) != 0 ? Event::Datagram : Event::Nothing;
}

void DeviceSocket::wake() {
    ::SetEvent(handles->wakeUp);
}

long DeviceSocket::receive(char *buffer, std::size_t capacity, Peer *sender) {
    sockaddr_in from{};
    int fromLength = sizeof from;
    const int length = ::recvfrom(handles->socket, buffer, int(capacity), 0,
                                  reinterpret_cast<sockaddr *>(&from), &fromLength);
    sender->address = ntohl(from.sin_addr.s_addr);
    sender->port = ntohs(from.sin_port);
    return length == SOCKET_ERROR ? -1 : long(length);
}

void DeviceSocket::send(const std::string &datagram, const Peer &receiver) {
    const sockaddr_in to = socketAddress(receiver.address, receiver.port);
    ::sendto(handles->socket, datagram.data(), int(datagram.size()), 0,
             reinterpret_cast<const sockaddr *>(&to), sizeof to);
}

} // namespace simdevice
