#include "TextSafety.h"

#include "ByteText.h"

#include <cstdio>

namespace orvanecheck {

namespace {

std::string hexEscape(const char *format, unsigned char byte) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, format, static_cast<unsigned>(byte));
    return buffer;
}

bool isPrintableAscii(unsigned char byte) {
    return byte >= 0x20 && byte < 0x7f;
}

} // namespace

std::string trimTrailingWhitespace(const std::string &text) {
    const std::size_t end = text.find_last_not_of(" \t\r\n\v\f");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string escapeForStatusLine(const std::string &bytes) {
    return orvane::escapeBytes(bytes, "|\"\\");
}

std::string jsonString(const std::string &bytes) {
    std::string json = "\"";
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (isPrintableAscii(byte)) {
            json += c;
        } else {
            json += hexEscape("\\u%04x", byte);
        }
    }
    return json + "\"";
}

} // namespace orvanecheck
