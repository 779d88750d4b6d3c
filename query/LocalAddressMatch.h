// Whether a user address reported by the device is one of this PC's own IPv4 addresses.
#pragma once

#include <cstddef>

// Gathers this PC's addresses once and compares the user address with every one of them as exact
// text: no trimming, no case folding, no numeric reading ("192.168.001.005" is not
// "192.168.1.5"). No address, or none that can be gathered, means no match.
bool bIsThisPCAddress(const char *pszUser, std::size_t userLength);
