#include "NetworkText.h"

#include "DeviceAddress.h"

namespace simdevice {

bool parsePort(const std::string &text, std::uint16_t *port) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long value = std::stoul(text);
    if (value == 0 || value > 65535) {
        return false;
    }
    *port = std::uint16_t(value);
    return true;
}

bool parseIPv4(const std::string &text, std::uint32_t *address) {
    if (!bIsDeviceAddress(text)) {
        return false;
    }
    *address = dwDottedQuadToIPv4(text.c_str());
    return true;
}

bool isLoopback(std::uint32_t address) {
    return (address >> 24) == 127;
}

} // namespace simdevice
