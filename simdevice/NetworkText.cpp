#include "NetworkText.h"

namespace simdevice {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads one octet at text[*position] and moves behind it; false when there is none.
bool readOctet(const std::string &text, std::size_t *position, std::uint32_t *octet) {
    const std::size_t start = *position;
    std::size_t end = start;
    while (end < text.size() && isDigit(text[end]) && end - start < 3) {
        ++end;
    }
    if (end == start || (end - start > 1 && text[start] == '0')) {
        return false;
    }
    *octet = std::uint32_t(std::stoul(text.substr(start, end - start)));
    *position = end;
    return *octet <= 255;
}

} // namespace

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
    std::uint32_t value = 0;
    std::size_t position = 0;
    for (int index = 0; index < 4; ++index) {
        if (index > 0 && (position >= text.size() || text[position++] != '.')) {
            return false;
        }
        std::uint32_t octet = 0;
        if (!readOctet(text, &position, &octet)) {
            return false;
        }
        value = value << 8 | octet;
    }
    if (position != text.size()) {
        return false;
    }
    *address = value;
    return true;
}

bool isLoopback(std::uint32_t address) {
    return (address >> 24) == 127;
}

} // namespace simdevice
