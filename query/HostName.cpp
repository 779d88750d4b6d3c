#include "HostName.h"

#include "Platform.h"

#include <thread>

// The resolver's call is the same on both systems; only its header differs.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace orvane {

std::string systemHostNameOf(std::uint32_t ipv4Address) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(ipv4Address);
    char name[NI_MAXHOST] = {};
    if (::getnameinfo(reinterpret_cast<const sockaddr *>(&address), sizeof address, name,
                      sizeof name, nullptr, 0, NI_NAMEREQD) != 0) {
        return {};
    }
    return name;
}

void lookUpHostName(std::uint32_t ipv4Address,
                    std::function<void(const std::string &sName)> fnDone) {
    // The function, not the table, goes to the thread: a test may put its table back meanwhile.
    const auto hostNameOf = platform().hostNameOf;
    std::thread([hostNameOf, ipv4Address, fnDone = std::move(fnDone)] {
        fnDone(hostNameOf(ipv4Address));
    }).detach();
}

} // namespace orvane
