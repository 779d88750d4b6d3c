#include "HolderName.h"

#include "DeviceAddress.h"
#include "OrvaneQuery.h"
#include "TextSafety.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#endif

#include <condition_variable>
#include <memory>
#include <mutex>
#include <regex>
#include <system_error>
#include <thread>

namespace orvanecheck {

namespace {

// What the lookup thread hands over. Shared with the thread, so that it outlives a wait that
// gave up.
struct Lookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::string name;
};

// Blocks for as long as the resolver takes. The sockets are started for the lookup alone (on
// Windows getnameinfo needs them), so that the check's own clean-up never pulls them from under
// it.
std::string reverseLookup(std::uint32_t address) {
    if (dwInitSockets() != 0) {
        return "";
    }
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_addr.s_addr = htonl(address);
    char host[NI_MAXHOST] = {};
    const int failed =
        getnameinfo(reinterpret_cast<const sockaddr *>(&socketAddress), sizeof socketAddress, host,
                    sizeof host, nullptr, 0, NI_NAMEREQD);
    iCleanupSockets();
    return failed == 0 ? host : "";
}

} // namespace

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
    static const std::regex hostName(
        R"((?=.{1,253}$)(?:[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?\.)*)"
        R"((?![0-9]+$)[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)");
    return std::regex_match(name, hostName);
}

std::string holderHostName(const std::string &holderText,
                           std::chrono::steady_clock::time_point deadline) {
    const std::optional<std::uint32_t> address = holderAddress(holderText);
    if (!address || std::chrono::steady_clock::now() >= deadline) {
        return "";
    }
    const auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, address = *address] {
            std::string name = reverseLookup(address);
            const std::lock_guard<std::mutex> lock(lookup->mutex);
            lookup->name = std::move(name);
            lookup->done = true;
            lookup->finished.notify_one();
        }).detach();
    } catch (const std::system_error &) {
        return ""; // no thread to be had: no name rather than a wait without a limit
    }
    std::unique_lock<std::mutex> lock(lookup->mutex);
    if (!lookup->finished.wait_until(lock, deadline, [&] { return lookup->done; })) {
        return "";
    }
    return isValidHostName(lookup->name) ? lookup->name : "";
}

} // namespace orvanecheck
