// The page at /: the lab at a glance, for people. One table of the devices the exporter was asked
// about, readable without JavaScript and on a phone, renewing itself; every text from a device or
// a resolver shown as the characters it is.
#pragma once

#include "LabBoard.h"

#include <string>
#include <vector>

namespace orvaneexporter {

inline constexpr char kLabPageContentType[] = "text/html; charset=utf-8";

// The page runs no script and loads nothing, its own style aside: sent as a header, and repeated
// in the page itself, so that a text that got through as markup could still run nothing.
inline constexpr char kLabPagePolicy[] =
    "default-src 'none'; style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'";

// The page of the rows as of now: free devices first, then those used by another PC, by this
// one, without connection and without a state; in each group the longest-standing state first.
std::string labPage(std::vector<DeviceRow> rows, WallClock::time_point now);

} // namespace orvaneexporter
