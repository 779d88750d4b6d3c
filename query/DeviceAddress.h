// The one rule for what a device address is, applied by every program alike, and the reading of
// such an address into an IPv4 address.
#pragma once

#include <cstdint>
#include <string>

// Four dotted octets of 0 to 255. Two-digit octets may start with 0 (such as 01), three-digit
// ones may not. The monitor's address validator takes the pattern as it stands; everything else
// asks bIsDeviceAddress.
inline constexpr char kIPAddressPattern[] =
    "(?:25[0-5]|2[0-4][0-9]|1(?:[0-9]){2}|(?:[0-9]){1,2})"
    "(?:\\.(?:25[0-5]|2[0-4][0-9]|1(?:[0-9]){2}|(?:[0-9]){1,2})){3}";

// Whether the whole text matches kIPAddressPattern.
bool bIsDeviceAddress(const std::string &sText);

// What a text that is no device address turns into: the all-ones address, as with inet_addr.
constexpr std::uint32_t INVALID_IPV4_ADDRESS = 0xFFFFFFFFu;

// The address in host byte order. Unlike inet_addr, a leading zero does not make an octet octal,
// so "192.168.1.09" is 192.168.1.9. Any text that is no device address gives
// INVALID_IPV4_ADDRESS.
std::uint32_t dwDottedQuadToIPv4(const char *pszText);

// The address (host byte order) as four decimal numbers without leading zeros.
std::string sDottedQuad(std::uint32_t dwAddress);

// The device's one spelling: its four numbers without leading zeros ("10.01.1.09" gives
// "10.1.1.9"), so that every spelling of one address names one device. Empty for text that is no
// device address.
std::string sCanonicalAddress(const std::string &sText);
