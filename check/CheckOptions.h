// The command line of orvane-check, read into plain values so that main only acts on them.
#pragma once

#include "CheckOutcome.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvanecheck {

enum class CheckAction { Run, ShowHelp, ShowVersion, UsageError };

struct CheckOptions {
    CheckAction action = CheckAction::UsageError;
    std::string address;            // dotted quad, already accepted by the address rule
    std::uint32_t timeoutMs = 1000; // receive time-out handed to the query
    RttThresholds thresholds;       // -w and -c, at most the time-out
    bool json = false;
    std::string error; // why the command line was refused (UsageError only)
};

// Smallest and largest number of seconds accepted for the time-out and the thresholds, in
// milliseconds. A receive time-out of 0 would make the socket wait for ever, so anything that
// rounds to 0 ms is refused.
constexpr std::uint32_t kMinSecondsMs = 1;
constexpr std::uint32_t kMaxSecondsMs = 3600U * 1000U;

// Arguments without the program name. -h and -V answer at once, whatever follows them.
CheckOptions parseCheckOptions(const std::vector<std::string> &args);

// "0.5" -> 500. Plain decimal notation only (no sign, exponent, hex, "inf" or locale comma).
// Returns false for text that is no such number or lies outside the accepted range.
bool parseSeconds(const std::string &text, std::uint32_t &milliseconds);

bool isAcceptedAddress(const std::string &text);

} // namespace orvanecheck
