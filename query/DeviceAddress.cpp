#include "DeviceAddress.h"

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
    // The rule leaves four groups of digits, each at most 255.
    std::uint32_t dwAddress = 0;
    std::uint32_t dwOctet = 0;
    for (const char *pszChar = pszText;; ++pszChar) {
        if (*pszChar >= '0' && *pszChar <= '9') {
            dwOctet = dwOctet * 10 + std::uint32_t(*pszChar - '0');
            continue;
        }
        dwAddress = dwAddress << 8 | dwOctet;
        dwOctet = 0;
        if (*pszChar == '\0') {
            return dwAddress;
        }
    }
}

std::string sCanonicalAddress(const std::string &sText) {
    if (!bIsDeviceAddress(sText)) {
        return {};
    }
    const std::uint32_t dwAddress = dwDottedQuadToIPv4(sText.c_str());
    std::string sCanonical;
    for (int iShift = 24; iShift >= 0; iShift -= 8) {
        sCanonical += std::to_string(dwAddress >> iShift & 0xFFu);
        if (iShift > 0) {
            sCanonical += '.';
        }
    }
    return sCanonical;
}
