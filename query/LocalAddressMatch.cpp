#include "LocalAddressMatch.h"

#include "OrvaneQuery.h"
#include "Platform.h"

#include <string>
#include <vector>

bool bIsThisPCAddress(const char *pszUser, std::size_t userLength) {
    std::vector<std::string> addresses;
    if (orvane::platform().getLocalAddresses(&addresses) != 0) {
        return false;
    }
    const std::string user(pszUser, userLength);
    for (const std::string &address : addresses) {
        if (address == user) {
            return true;
        }
    }
    return false;
}
