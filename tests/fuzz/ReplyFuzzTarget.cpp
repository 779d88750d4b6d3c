// Feeds arbitrary bytes to the state query as the datagram the device answered with, through the
// socket seam, and checks every result against what the reply layout allows: the result code,
// the state (written only on success, always a known value), the name buffer (only the bytes
// before the first "#", terminated, nothing written around it), the holder's address buffer of
// the variant that hands it over (likewise, the bytes after the "#") and the socket's life.
//
// Built with libFuzzer (-fsanitize=fuzzer) it explores inputs; built without it, ReplayMain.cpp
// replays the seed corpus as an ordinary test.
#include "OrvaneIdentity.h"
#include "OrvaneQuery.h"
#include "Platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr orvane::SocketHandle FUZZ_SOCKET = 7;
constexpr std::size_t REPLY_LIMIT = 128;             // longer datagrams are a receive failure
constexpr std::uint32_t DEVICE_ADDRESS = 0x7F000082; // 127.0.0.130, never reached
constexpr unsigned char CANARY = 0xCD;
constexpr std::size_t CANARY_SIZE = 32;
constexpr OrvaneState STATE_NOT_WRITTEN = static_cast<OrvaneState>(0xA5A5A5A5u);
constexpr char FREE_USER[] = "0.0.0.0";

// This PC's addresses, fixed so that no input waits for an interface look-up.
const std::vector<std::string> LOCAL_ADDRESSES = {"127.0.0.1", "198.51.100.23"};

// What the current input has done with the socket.
struct SocketTrace {
    const std::uint8_t *datagram = nullptr;
    std::size_t size = 0;
    int created = 0;
    int closed = 0;
    int sends = 0;
    std::string request;
    std::uint32_t destination = 0;
    std::uint16_t port = 0;
};
SocketTrace trace;

orvane::PlatformLayer fuzzPlatform() {
    orvane::PlatformLayer layer = orvane::nativePlatform();
    layer.createSocket = [] {
        ++trace.created;
        return FUZZ_SOCKET;
    };
    layer.closeSocket = [](orvane::SocketHandle socket) {
        trace.closed += socket == FUZZ_SOCKET ? 1 : 1000;
        return 0;
    };
    layer.setReceiveTimeout = [](orvane::SocketHandle, std::uint32_t) { return 0; };
    layer.sendTo = [](orvane::SocketHandle, const void *data, std::size_t length,
                      std::uint32_t address, std::uint16_t port) {
        ++trace.sends;
        trace.request.assign(static_cast<const char *>(data), length);
        trace.destination = address;
        trace.port = port;
        return long(length);
    };
    // Like the real receive: stores what fits and tells the datagram's real length; the datagram
    // comes from where the request went.
    layer.receiveWithSender = [](orvane::SocketHandle, void *buffer, std::size_t capacity,
                                 std::uint32_t *sender, std::uint16_t *senderPort) {
        *sender = trace.destination;
        *senderPort = trace.port;
        if (trace.size > 0) {
            std::memcpy(buffer, trace.datagram, trace.size < capacity ? trace.size : capacity);
        }
        return long(trace.size);
    };
    layer.lastSocketError = [] { return 0; };
    layer.getLocalAddresses = [](std::vector<std::string> *addresses) {
        *addresses = LOCAL_ADDRESSES;
        return std::uint32_t(0);
    };
    layer.openLogFile = [] { return static_cast<std::FILE *>(nullptr); };
    return layer;
}

// The outcome the reply layout prescribes for a datagram, worked out independently of the query.
struct Outcome {
    std::uint32_t result = 0;
    OrvaneState state = STATE_NOT_WRITTEN;
    std::string name;
    std::string user;
};

Outcome expectedOutcome(const std::uint8_t *data, std::size_t size) {
    if (size > REPLY_LIMIT) {
        return {ERR_QUERY_TRANSFER, STATE_NOT_WRITTEN, "", ""};
    }
    std::string text(reinterpret_cast<const char *>(data), size);
    text = text.substr(0, text.find('\0'));
    const std::size_t hash = text.find('#');
    if (hash == std::string::npos) {
        return {ERR_QUERY_REPLY, STATE_NOT_WRITTEN, "", ""};
    }
    const std::string user = text.substr(hash + 1);
    OrvaneState state = ORVANE_USED_BY_OTHER_PC;
    if (user.compare(0, sizeof FREE_USER - 1, FREE_USER) == 0) {
        state = ORVANE_AVAILABLE;
    } else if (std::find(LOCAL_ADDRESSES.begin(), LOCAL_ADDRESSES.end(), user) !=
               LOCAL_ADDRESSES.end()) {
        state = ORVANE_USED_BY_THIS_PC;
    }
    return {0, state, text.substr(0, hash), user};
}

// A caller's zeroed text buffer with guard bytes on both sides.
struct GuardedBuffer {
    GuardedBuffer() {
        std::memset(before, CANARY, sizeof before);
        std::memset(after, CANARY, sizeof after);
    }
    unsigned char before[CANARY_SIZE];
    char text[ORVANE_NAME_BUFFER_SIZE] = {};
    unsigned char after[CANARY_SIZE];
};

bool guardsIntact(const GuardedBuffer &buffer) {
    const auto isCanary = [](unsigned char byte) { return byte == CANARY; };
    return std::all_of(std::begin(buffer.before), std::end(buffer.before), isCanary) &&
           std::all_of(std::begin(buffer.after), std::end(buffer.after), isCanary);
}

// The buffer holds exactly the expected text followed by zeros up to its end, so it stays
// terminated.
bool holdsOnly(const GuardedBuffer &buffer, const std::string &expected) {
    const std::size_t size = sizeof buffer.text;
    return expected.size() < size &&
           std::string(buffer.text, size) == expected + std::string(size - expected.size(), '\0');
}

// Runs one query on the datagram, through the monitor's call or through the one that also hands
// over the holder's address, and checks everything it did.
void queryAndCheck(const std::uint8_t *data, std::size_t size, bool withUser) {
    trace = SocketTrace{};
    trace.datagram = data;
    trace.size = size;
    GuardedBuffer name;
    GuardedBuffer user;
    OrvaneState state = STATE_NOT_WRITTEN;

    const std::uint32_t result =
        withUser ? dwGetOrvaneStateAndUser("127.0.0.130", 1000, name.text, &state, user.text)
                 : dwGetOrvaneState("127.0.0.130", 1000, name.text, &state);

    const Outcome expected = expectedOutcome(data, size);
    // Each check with what it means when it fails; the first that fails aborts the process.
    const std::pair<bool, const char *> checks[] = {
        {result != 0 && result != ERR_QUERY_REPLY && result != ERR_QUERY_TRANSFER,
         "result outside the codes a delivered datagram can give"},
        {!guardsIntact(name) || !guardsIntact(user), "bytes written outside the caller's buffers"},
        {result == 0 && (state < ORVANE_USED_BY_OTHER_PC || state > ORVANE_AVAILABLE),
         "a delivered reply gave a state outside 1 to 3"},
        {result != 0 && state != STATE_NOT_WRITTEN, "state written on a failure"},
        {result != expected.result || state != expected.state,
         "result or state differs from what the reply layout gives"},
        {!holdsOnly(name, expected.name),
         "name buffer holds more or other than the bytes before the first '#'"},
        {!holdsOnly(user, withUser ? expected.user : std::string()),
         "address buffer holds more or other than the bytes after the first '#'"},
        {trace.created != 1 || trace.closed != 1,
         "the socket was not created and closed exactly once"},
        {trace.sends != 1 || trace.request != std::string("state", 6) ||
             trace.destination != DEVICE_ADDRESS || trace.port != orvane::kQueryPort,
         "the request was not the one state request to the device"},
    };
    for (const auto &[failed, what] : checks) {
        if (failed) {
            std::fprintf(stderr, "reply fuzzer: %s (result %u, datagram of %zu bytes)\n", what,
                         unsigned(result), size);
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const bool installed = (orvane::installPlatform(fuzzPlatform()), true);
    (void)installed;
    queryAndCheck(data, size, false);
    queryAndCheck(data, size, true);
    return 0;
}
