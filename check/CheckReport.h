// The two ways of telling a monitoring system or a script what a check found: the plugin status
// line (with performance data) and one JSON object.
#pragma once

#include "CheckOutcome.h"

#include <string>

namespace orvanecheck {

// Everything for standard output in plugin form: the status line first, then the network layer's
// own lines (made safe) as further lines, each ending in a line feed.
std::string pluginOutput(const CheckOutcome &outcome);

// The first line alone, without line feed.
std::string statusLine(const CheckOutcome &outcome);

// One JSON object on one line, ending in a line feed.
std::string jsonReport(const CheckOutcome &outcome);

// The status line for a refused command line.
std::string usageErrorLine(const std::string &message);

// 200 -> "0.2", 1000 -> "1", 1500 -> "1.5": the time-out as a user would write it.
std::string formatSeconds(std::uint32_t milliseconds);

// What a result code means, in words.
std::string describeResultCode(std::uint32_t resultCode);

// The network layer's first failure line without its routine name, or "" when it printed none.
std::string networkErrorText(const CheckOutcome &outcome);

} // namespace orvanecheck
