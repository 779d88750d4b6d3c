// One probe of one device through the network layer, timed, and what it says for the metrics.
#pragma once

#include "OrvaneQuery.h"

#include <array>
#include <cstdint>
#include <string>

namespace orvaneexporter {

class FailureLog;

struct ProbeResult {
    OrvaneAnswer answer;
    double durationSeconds = 0.0;
};

// Asks the device once, waiting at most timeoutMs for its reply. Safe to call from many threads
// at once; the network layer's failure lines go to the log given to sendNetworkLinesTo.
ProbeResult runProbe(const std::string &target, std::uint32_t timeoutMs);

// From now on, every line the network layer prints goes to log, named with the target of the
// probe that printed it, instead of to standard output. Call once, before the first probe.
void sendNetworkLinesTo(FailureLog &log);

// True when the device answered with its state (available, used by this PC or by another).
bool probeSucceeded(const ProbeResult &result);

// Why a probe did not succeed: "no_answer" (nothing within the time-out), "no_route" (no network
// to the device), "bad_reply" (a reply without "#"), "socket" (the query's socket could not be
// made or set up), "transfer" (sending or receiving failed, a reply too long among them) or
// "other". nullptr for a probe that succeeded.
const char *failureCause(const ProbeResult &result);
inline constexpr std::array<const char *, 6> kFailureCauses = {"no_answer", "no_route", "bad_reply",
                                                               "socket",    "transfer", "other"};

} // namespace orvaneexporter
