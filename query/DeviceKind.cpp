#include "DeviceKind.h"

#include <cstring>

const char *pszDeviceKindName(const char *pszReplyName) {
    if (pszReplyName[0] == '\0') {
        return RELAY_HOST_NAME;
    }
    return std::strstr(pszReplyName, "66") != nullptr ? "sourceORVANE" : "captureORVANE";
}
