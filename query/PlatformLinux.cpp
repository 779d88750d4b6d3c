// The platform layer on Linux: BSD sockets, the interface address list, a monotonic clock and the
// log in the per-user state directory.
#include "OrvaneQuery.h"
#include "Platform.h"
#include "SocketAddress.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <net/if.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace orvane {

namespace {

constexpr char LOG_FILE_NAME[] = "hvcxdrv_debug.txt";

int toFd(SocketHandle socket) {
    return static_cast<int>(socket);
}

SocketHandle createSocket() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    return fd < 0 ? INVALID_SOCKET_HANDLE : SocketHandle(fd);
}

int setReceiveTimeout(SocketHandle socket, std::uint32_t timeoutMs) {
    timeval timeout{};
    timeout.tv_sec = time_t(timeoutMs / 1000);
    timeout.tv_usec = suseconds_t(timeoutMs % 1000) * 1000;
    return ::setsockopt(toFd(socket), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
}

long sendTo(SocketHandle socket, const void *data, std::size_t length, std::uint32_t ipv4Address,
            std::uint16_t port) {
    const sockaddr_in destination = socketAddress(ipv4Address, port);
    return ::sendto(toFd(socket), data, length, 0, reinterpret_cast<const sockaddr *>(&destination),
                    sizeof destination);
}

int bindSocket(SocketHandle socket, std::uint32_t ipv4Address, std::uint16_t port) {
    const sockaddr_in local = socketAddress(ipv4Address, port);
    return ::bind(toFd(socket), reinterpret_cast<const sockaddr *>(&local), sizeof local);
}

long receiveWithSender(SocketHandle socket, void *buffer, std::size_t capacity,
                       std::uint32_t *senderAddress, std::uint16_t *senderPort) {
    // The kernel cuts a long datagram silently; MSG_TRUNC makes it tell the real length.
    sockaddr_in sender{};
    socklen_t senderLength = sizeof sender;
    const long length = ::recvfrom(toFd(socket), buffer, capacity, MSG_TRUNC,
                                   reinterpret_cast<sockaddr *>(&sender), &senderLength);
    *senderAddress = ntohl(sender.sin_addr.s_addr);
    *senderPort = ntohs(sender.sin_port);
    return length;
}

// The kernel's list of IPv4 interface addresses, read with one ioctl: it runs on the poll path of
// every reply that names a user, and the netlink dumps behind getifaddrs cost several times as
// much (they carry every link and its statistics).
std::uint32_t getLocalAddresses(std::vector<std::string> *addresses) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) {
        return ERR_NO_HOST_ADDRESS;
    }
    std::vector<ifreq> entries(16);
    ifconf list{};
    for (;;) {
        list.ifc_len = int(entries.size() * sizeof(ifreq));
        list.ifc_req = entries.data();
        if (::ioctl(fd, SIOCGIFCONF, &list) != 0) {
            ::close(fd);
            return ERR_NO_HOST_ADDRESS;
        }
        // A full buffer may have cut the list short: ask again with room to spare.
        if (std::size_t(list.ifc_len) < entries.size() * sizeof(ifreq)) {
            break;
        }
        entries.resize(entries.size() * 2);
    }
    ::close(fd);
    for (std::size_t i = 0; i < std::size_t(list.ifc_len) / sizeof(ifreq); ++i) {
        if (entries[i].ifr_addr.sa_family != AF_INET) {
            continue;
        }
        char text[INET_ADDRSTRLEN] = {};
        const auto *address = reinterpret_cast<const sockaddr_in *>(&entries[i].ifr_addr);
        if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr) {
            addresses->push_back(text);
        }
    }
    return 0;
}

// The monotonic clock (CLOCK_MONOTONIC).
std::uint32_t tickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::string homeDirectory() {
    const char *home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return home;
    }
    const passwd *user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

// The per-user state directory; relative values of XDG_STATE_HOME are ignored, as the XDG rules
// ask.
std::string stateDirectory() {
    const char *stateHome = std::getenv("XDG_STATE_HOME");
    if (stateHome != nullptr && stateHome[0] == '/') {
        return stateHome;
    }
    const std::string home = homeDirectory();
    return home.empty() ? "" : home + "/.local/state";
}

// Creates the directory and any missing parents, private to the user.
bool makeDirectories(const std::string &path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

std::FILE *openLogFile() {
    const std::string directory = stateDirectory();
    if (directory.empty() || !makeDirectories(directory)) {
        return nullptr;
    }
    return std::fopen((directory + "/" + LOG_FILE_NAME).c_str(), "at");
}

} // namespace

bool startDetachedThread(std::function<void()> work) {
    try {
        std::thread(std::move(work)).detach();
        return true;
    } catch (const std::system_error &) {
        return false;
    }
}

const PlatformLayer &nativePlatform() {
    static const PlatformLayer layer = {
        .createSocket = createSocket,
        .closeSocket = [](SocketHandle socket) { return ::close(toFd(socket)); },
        .setReceiveTimeout = setReceiveTimeout,
        .sendTo = sendTo,
        .receiveWithSender = receiveWithSender,
        .bindSocket = bindSocket,
        .startSockets = [] { return std::uint32_t(0); }, // nothing to start
        .cleanupSockets = [] { return 0; },
        .lastSocketError = [] { return errno; },
        .isTimeoutError = [](int code) { return code == EAGAIN || code == EWOULDBLOCK; },
        .isNoRouteError =
            [](int code) {
                return code == ENETUNREACH || code == EHOSTUNREACH || code == ENETDOWN;
            },
        .messageTooLongError = EMSGSIZE,
        .errorMessage = [](int code) { return std::string(std::strerror(code)); },
        .getLocalAddresses = getLocalAddresses,
        .tickCount = tickCount,
        .openLogFile = openLogFile,
    };
    return layer;
}

} // namespace orvane
