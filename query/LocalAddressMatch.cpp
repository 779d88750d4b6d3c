#include "LocalAddressMatch.h"

#include "OrvaneQuery.h"
#include "Platform.h"

#include <algorithm>
#include <string>
#include <vector>

bool bIsThisPCAddress(const char *pszUser, std::size_t userLength) {
    std::vector<std::string> addresses;
    if (orvane::platform().getLocalAddresses(&addresses) != 0) {
        return false;
    }
    return std::find(addresses.begin(), addresses.end(), std::string(pszUser, userLength)) !=
           addresses.end();
}
