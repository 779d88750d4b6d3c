#include "HostName.h"

#include "ByteText.h"
#include "DeviceAddress.h"
#include "OrvaneQuery.h"
#include "Platform.h"
#include "SocketAddress.h"

#include <future>
#include <memory>
#include <regex>

namespace orvane {

std::optional<std::uint32_t> holderAddress(const std::string &holderText) {
    const std::string text = trimTrailingWhitespace(holderText);
    if (!bIsDeviceAddress(text)) {
        return std::nullopt;
    }
    const std::uint32_t address = dwDottedQuadToIPv4(text.c_str());
    if (address == 0 || address == INVALID_IPV4_ADDRESS) {
        return std::nullopt;
    }
    return address;
}

bool isValidHostName(const std::string &name) {
    // Never destroyed: a lookup's thread may still use it while the program ends.
    static const std::regex &hostName =
        *new std::regex(R"((?=.{1,253}$)(?:[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?\.)*)"
                        R"((?![0-9]+$)[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)");
    return std::regex_match(name, hostName);
}

// The resolver's call is the same on both systems. On Windows the sockets are started for the
// lookup alone (the resolver needs them), so that a program's own clean-up never pulls them from
// under a lookup that still runs; directly, as the platform table is no thread's to read while a
// test may replace it.
std::string systemHostNameOf(std::uint32_t ipv4Address) {
#ifdef _WIN32
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 0), &data) != 0) {
        return {};
    }
#endif
    const sockaddr_in address = socketAddress(ipv4Address, 0);
    char name[NI_MAXHOST] = {};
    const int failed = ::getnameinfo(reinterpret_cast<const sockaddr *>(&address), sizeof address,
                                     name, sizeof name, nullptr, 0, NI_NAMEREQD);
#ifdef _WIN32
    WSACleanup();
#endif
    return failed == 0 ? name : "";
}

bool lookUpHostName(std::uint32_t ipv4Address,
                    std::function<void(const std::string &sName)> fnDone) {
    // The function, not the table, goes to the thread: a test may put its table back meanwhile.
    const auto hostNameOf = platform().hostNameOf;
    // No thread to be had: no name, rather than a wait without a limit.
    return startDetachedThread([hostNameOf, ipv4Address, fnDone = std::move(fnDone)] {
        const std::string name = hostNameOf(ipv4Address);
        fnDone(isValidHostName(name) ? name : "");
    });
}

std::string holderHostName(const std::string &holderText,
                           std::chrono::steady_clock::time_point deadline) {
    const std::optional<std::uint32_t> address = holderAddress(holderText);
    if (!address || std::chrono::steady_clock::now() >= deadline) {
        return "";
    }
    // Shared with the lookup's thread, so that it outlives a wait that gave up; kept here as well,
    // so that a lookup without a thread leaves it unkept until the deadline, never broken.
    const auto promise = std::make_shared<std::promise<std::string>>();
    std::future<std::string> name = promise->get_future();
    lookUpHostName(*address, [promise](const std::string &found) { promise->set_value(found); });
    return name.wait_until(deadline) == std::future_status::ready ? name.get() : "";
}

} // namespace orvane
