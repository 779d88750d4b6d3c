// The platform layer on Windows: Windows Sockets 2, the host's own address list, the system's
// message table, the tick count and the log at the root of drive c: or in the user's application
// data.
#include "OrvaneIdentity.h"
#include "OrvaneQuery.h"
#include "Platform.h"
#include "SocketAddress.h"

#include <mswsock.h>
#include <process.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace orvane {

namespace {

constexpr char LOG_FILE_NAME[] = "hvcxdrv_debug.txt";
constexpr char ROOT_LOG_FILE_PATH[] = "c:\\hvcxdrv_debug.txt";
constexpr int HOST_NAME_SIZE = 256;

SOCKET toSocket(SocketHandle socket) {
    return static_cast<SOCKET>(socket);
}

// Windows turns the ICMP "port unreachable" that follows a send to a closed port into a failed
// next receive (WSAECONNRESET). A device whose service is not up (while it boots, say) would then
// end the program through the fatal path instead of showing as not reachable, so the report is
// switched off; isTimeoutError covers a socket where that did not take.
void ignorePortUnreachable(SOCKET socket) {
    BOOL report = FALSE;
    DWORD returned = 0;
    ::WSAIoctl(socket, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr,
               nullptr);
}

SocketHandle createSocket() {
    const SOCKET socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (socket == INVALID_SOCKET) {
        return INVALID_SOCKET_HANDLE;
    }
    ignorePortUnreachable(socket);
    return SocketHandle(socket);
}

int setReceiveTimeout(SocketHandle socket, std::uint32_t timeoutMs) {
    const DWORD timeout = timeoutMs;
    return ::setsockopt(toSocket(socket), SOL_SOCKET, SO_RCVTIMEO,
                        reinterpret_cast<const char *>(&timeout), sizeof timeout);
}

long sendTo(SocketHandle socket, const void *data, std::size_t length, std::uint32_t ipv4Address,
            std::uint16_t port) {
    const sockaddr_in destination = socketAddress(ipv4Address, port);
    const int sent = ::sendto(toSocket(socket), static_cast<const char *>(data), int(length), 0,
                              reinterpret_cast<const sockaddr *>(&destination), sizeof destination);
    return sent == SOCKET_ERROR ? -1 : sent;
}

int bindSocket(SocketHandle socket, std::uint32_t ipv4Address, std::uint16_t port) {
    const sockaddr_in local = socketAddress(ipv4Address, port);
    return ::bind(toSocket(socket), reinterpret_cast<const sockaddr *>(&local), sizeof local);
}

// A datagram longer than the buffer fails here with WSAEMSGSIZE.
long receiveWithSender(SocketHandle socket, void *buffer, std::size_t capacity,
                       std::uint32_t *senderAddress, std::uint16_t *senderPort) {
    sockaddr_in sender{};
    int senderLength = sizeof sender;
    const int received = ::recvfrom(toSocket(socket), static_cast<char *>(buffer), int(capacity), 0,
                                    reinterpret_cast<sockaddr *>(&sender), &senderLength);
    *senderAddress = ntohl(sender.sin_addr.s_addr);
    *senderPort = ntohs(sender.sin_port);
    return received == SOCKET_ERROR ? -1 : received;
}

std::uint32_t startSockets() {
    WSADATA data;
    return std::uint32_t(::WSAStartup(MAKEWORD(2, 0), &data));
}

std::string narrowText(const wchar_t *wide) {
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return "";
    }
    std::string text(std::size_t(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, &text[0], size, nullptr, nullptr);
    text.resize(std::size_t(size - 1)); // without the terminator
    return text;
}

// Plain ASCII names as wide text.
std::wstring wideText(const char *text) {
    return std::wstring(text, text + std::strlen(text));
}

std::string errorMessage(int code) {
    wchar_t *message = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(code), 0, reinterpret_cast<wchar_t *>(&message), 0, nullptr);
    if (length == 0 || message == nullptr) {
        return "Unknown error " + std::to_string(code);
    }
    std::string text = narrowText(message);
    ::LocalFree(message);
    return text;
}

std::uint32_t getLocalAddresses(std::vector<std::string> *addresses) {
    char hostName[HOST_NAME_SIZE] = {};
    if (::gethostname(hostName, HOST_NAME_SIZE - 1) != 0) {
        return ERR_NO_HOST_ADDRESS;
    }
    const hostent *host = ::gethostbyname(hostName);
    if (host == nullptr || host->h_addrtype != AF_INET) {
        return ERR_NO_HOST_ADDRESS;
    }
    for (char **entry = host->h_addr_list; *entry != nullptr; ++entry) {
        in_addr address;
        std::memcpy(&address, *entry, sizeof address);
        const char *text = ::inet_ntoa(address);
        if (text != nullptr) {
            addresses->push_back(text);
        }
    }
    return 0;
}

// %LOCALAPPDATA%\Orvane Monitor\hvcxdrv_debug.txt, the folder made when missing; "" when the
// system names no such folder.
std::wstring fallbackLogFilePath() {
    wchar_t *localAppData = nullptr;
    if (::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &localAppData) !=
        S_OK) {
        ::CoTaskMemFree(localAppData);
        return L"";
    }
    std::wstring folder = std::wstring(localAppData) + L"\\" + wideText(kProductName);
    ::CoTaskMemFree(localAppData);
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        return L"";
    }
    return folder + L"\\" + wideText(LOG_FILE_NAME);
}

// The root of drive c: first, where the log has always been. An ordinary user may not create
// files there, so the line then goes to the user's own application data instead of being lost.
std::FILE *openLogFile() {
    if (std::FILE *file = std::fopen(ROOT_LOG_FILE_PATH, "at")) {
        return file;
    }
    const std::wstring fallback = fallbackLogFilePath();
    return fallback.empty() ? nullptr : ::_wfopen(fallback.c_str(), L"at");
}

unsigned __stdcall runDetached(void *work) {
    const std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()> *>(work));
    (*owned)();
    return 0;
}

} // namespace

// A thread of the system's own: a detached std::thread of mingw-w64's threads library may never
// start when it is made while another detached one ends (under wine about one in a few hundred
// such pairs waited for good; a thread made with _beginthreadex did not, in thousands).
bool startDetachedThread(std::function<void()> work) {
    auto *owned = new std::function<void()>(std::move(work));
    const std::uintptr_t thread = ::_beginthreadex(nullptr, 0, runDetached, owned, 0, nullptr);
    if (thread == 0) {
        delete owned;
        return false;
    }
    ::CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}

const PlatformLayer &nativePlatform() {
    static const PlatformLayer layer = {
        .createSocket = createSocket,
        .closeSocket = [](SocketHandle socket) { return ::closesocket(toSocket(socket)); },
        .setReceiveTimeout = setReceiveTimeout,
        .sendTo = sendTo,
        .receiveWithSender = receiveWithSender,
        .bindSocket = bindSocket,
        .startSockets = startSockets,
        .cleanupSockets = [] { return ::WSACleanup(); },
        .lastSocketError = [] { return ::WSAGetLastError(); },
        // The port-unreachable report means that no one answered, as a time-out does.
        .isTimeoutError = [](int code) { return code == WSAETIMEDOUT || code == WSAECONNRESET; },
        .isNoRouteError =
            [](int code) {
                return code == WSAENETUNREACH || code == WSAEHOSTUNREACH || code == WSAENETDOWN;
            },
        .messageTooLongError = WSAEMSGSIZE,
        .errorMessage = errorMessage,
        .getLocalAddresses = getLocalAddresses,
        .tickCount = [] { return std::uint32_t(::GetTickCount()); },
        .openLogFile = openLogFile,
    };
    return layer;
}

} // namespace orvane
