#include "tools/check/DeviceKind.h"

namespace orvanecheck {

std::string deviceKindName(const std::string &replyName) {
    if (replyName.empty()) {
        return "Relay Host";
    }
    if (replyName.find("66") != std::string::npos) {
        return "sourceORVANE";
    }
    return "captureORVANE";
}

} // namespace orvanecheck
