#pragma once

// The one rule for a device address: four dotted octets of 0 to 255. Two-digit octets may start
// with 0 (such as 01), three-digit ones may not. Kept free of Qt so that tools without Qt can
// apply the same rule with std::regex_match.
inline constexpr char kIPAddressPattern[] =
    "(?:25[0-5]|2[0-4][0-9]|1(?:[0-9]){2}|(?:[0-9]){1,2})"
    "(?:\\.(?:25[0-5]|2[0-4][0-9]|1(?:[0-9]){2}|(?:[0-9]){1,2})){3}";
