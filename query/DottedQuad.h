// Conversion of the device address text into an IPv4 address.
#pragma once

#include <cstdint>

// What a text that is no dotted quad turns into: the all-ones address, as with inet_addr.
constexpr std::uint32_t INVALID_IPV4_ADDRESS = 0xFFFFFFFFu;

// Reads exactly four decimal octets (0 to 255, one to three digits each) separated by dots and
// returns the address in host byte order. Unlike inet_addr, a leading zero does not make an octet
// octal, so "192.168.1.09" is 192.168.1.9 and "010.0.0.1" is 10.0.0.1. Any other text gives
// INVALID_IPV4_ADDRESS.
std::uint32_t dwDottedQuadToIPv4(const char *pszText);
