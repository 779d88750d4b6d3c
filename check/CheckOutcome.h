// What one check found out: the query's result and the bits of the reply worth showing.
#pragma once

#include "OrvaneIdentity.h"
#include "OrvaneQuery.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvanecheck {

// Round-trip times (-w, -c) above which an answer counts as slow; unset when not given.
struct RttThresholds {
    std::optional<std::uint32_t> warningMs;
    std::optional<std::uint32_t> criticalMs;
};

struct CheckOutcome {
    std::string address;
    std::uint32_t timeoutMs = orvane::kDefaultTimeoutMs;
    RttThresholds thresholds;
    std::uint32_t resultCode = 0;             // 0, or the failing call's result code
    OrvaneState state = ORVANE_NOT_REACHABLE; // meaningful only when resultCode is 0
    std::string replyName;
    bool userAddressKnown = false; // the reply's user address, exactly as received
    std::string userAddress;
    std::string userName; // the holder's host name (HolderName.h); "" when none was found
    bool noRoute = false; // not reachable because this host has no network to the device
    double rttMs = 0.0;
    std::vector<std::string> networkMessages; // lines the network layer printed meanwhile
};

// The four plugin states; their values are the exit codes.
enum class PluginStatus { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

// The worse of what the answer says and how slow it came.
PluginStatus pluginStatusFor(const CheckOutcome &outcome);

// What the round-trip time alone says: WARNING or CRITICAL past a threshold, otherwise OK
// (also when there was no answer, which has no round-trip time).
PluginStatus slownessStatus(const CheckOutcome &outcome);
const char *pluginStatusName(PluginStatus status);

// True when a reply arrived and was understood (the only case with a round-trip time).
bool hasAnswer(const CheckOutcome &outcome);

} // namespace orvanecheck
