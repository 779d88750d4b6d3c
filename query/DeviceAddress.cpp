#include "DeviceAddress.h"

#include <cstdio>
#include <regex>
#include <string>

bool bIsDeviceAddress(const std::string &sText) {
    static const std::regex oPattern(kIPAddressPattern, std::regex::ECMAScript);
    return std::regex_match(sText, oPattern);
}

std::uint32_t dwDottedQuadToIPv4(const char *pszText) {
    if (!bIsDeviceAddress(pszText)) {
        return INVALID_IPV4_ADDRESS;
    }
    // The rule leaves four groups of decimal digits, each at most 255; %u reads no octal.
    unsigned auOctets[4] = {};
    std::sscanf(pszText, "%u.%u.%u.%u", &auOctets[0], &auOctets[1], &auOctets[2], &auOctets[3]);
    return auOctets[0] << 24 | auOctets[1] << 16 | auOctets[2] << 8 | auOctets[3];
}

std::string sDottedQuad(std::uint32_t dwAddress) {
    char szText[sizeof "255.255.255.255"];
    std::snprintf(szText, sizeof szText, "%u.%u.%u.%u", dwAddress >> 24, dwAddress >> 16 & 0xFFu,
                  dwAddress >> 8 & 0xFFu, dwAddress & 0xFFu);
    return szText;
}

std::string sCanonicalAddress(const std::string &sText) {
    return bIsDeviceAddress(sText) ? sDottedQuad(dwDottedQuadToIPv4(sText.c_str())) : "";
}
