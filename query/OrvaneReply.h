// The layout of the device's reply: name, "#", user address, within at most 128 bytes.
#pragma once

#include <cstddef>

constexpr std::size_t ORVANE_REPLY_SIZE = 128;

struct OrvaneReply {
    bool bHasSeparator = false;    // a "#" lies within the reply text
    std::size_t nameLength = 0;    // characters before the first "#"
    const char *pszUser = nullptr; // characters after it, not terminated
    std::size_t userLength = 0;
};

// Reads the reply text, which ends at the first NUL byte or after length bytes, whichever comes
// first. Nothing beyond data + length is read, so a reply without a NUL is safe.
OrvaneReply parseOrvaneReply(const char *data, std::size_t length);

// Whether the user address says the device is free: it begins with "0.0.0.0".
bool bIsFreeUserAddress(const OrvaneReply &reply);
