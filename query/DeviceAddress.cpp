#include "DottedQuad.h"

namespace {

bool bIsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads one octet at *ppszText and moves behind it; false when there is none.
bool bReadOctet(const char **ppszText, std::uint32_t *pdwOctet) {
    const char *pszText = *ppszText;
    std::uint32_t dwValue = 0;
    int iDigits = 0;
    while (bIsDigit(*pszText) && iDigits < 3) {
        dwValue = dwValue * 10 + std::uint32_t(*pszText - '0');
        ++pszText;
        ++iDigits;
    }
    if (iDigits == 0 || dwValue > 255) {
        return false;
    }
    *ppszText = pszText;
    *pdwOctet = dwValue;
    return true;
}

} // namespace

std::uint32_t dwDottedQuadToIPv4(const char *pszText) {
    std::uint32_t dwAddress = 0;
    for (int iOctet = 0; iOctet < 4; ++iOctet) {
        if (iOctet > 0 && *pszText++ != '.') {
            return INVALID_IPV4_ADDRESS;
        }
        std::uint32_t dwOctet = 0;
        if (!bReadOctet(&pszText, &dwOctet)) {
            return INVALID_IPV4_ADDRESS;
        }
        dwAddress = dwAddress << 8 | dwOctet;
    }
    return *pszText == '\0' ? dwAddress : INVALID_IPV4_ADDRESS;
}
