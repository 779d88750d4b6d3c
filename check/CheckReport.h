// What one check found out, the plugin status it gives, and the two ways of telling a monitoring
// system or a script: the plugin status line (with performance data) and one JSON object.
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
    // The query's answer; its result is the sockets' own where they could not be started. The
    // state is meaningful only when the result is 0, the user address only with an answer.
    OrvaneAnswer answer;
    std::string userName; // the holder's host name (HostName.h); "" when none was found
    double rttMs = 0.0;
    std::vector<std::string> networkMessages; // lines the network layer printed meanwhile
};

// The four plugin states, ordered by severity; their values are the exit codes.
enum class PluginStatus { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

// The worse of what the answer says and how slow it came.
PluginStatus pluginStatusFor(const CheckOutcome &outcome);

// True when a reply arrived and was understood (the only case with a round-trip time).
bool hasAnswer(const CheckOutcome &outcome);

// Everything for standard output in plugin form: the status line first, then the network layer's
// own lines (made safe) as further lines, each ending in a line feed.
std::string pluginOutput(const CheckOutcome &outcome);

// The first line alone, without line feed.
std::string statusLine(const CheckOutcome &outcome);

// One JSON object on one line, ending in a line feed.
std::string jsonReport(const CheckOutcome &outcome);

// The status line for a refused command line.
std::string usageErrorLine(const std::string &message);

} // namespace orvanecheck
