#include "ByteText.h"

#include <cstdio>
#include <cstring>

namespace orvane {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The byte of "\xNN" at text[at]; -1 unless two hexadecimal digits follow the "x".
int hexEscapeValue(const std::string &text, std::size_t at) {
    const int high = at + 2 < text.size() ? hexValue(text[at + 1]) : -1;
    const int low = at + 2 < text.size() ? hexValue(text[at + 2]) : -1;
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

} // namespace

std::string escapeBytes(const std::string &bytes, const char *alsoEscaped, Backslash backslash) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const bool escaped = c != '\0' && std::strchr(alsoEscaped, c) != nullptr;
        if (c == '\\' && !escaped && backslash == Backslash::Doubled) {
            text += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7f && !escaped) {
            text.push_back(c);
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", unsigned(byte));
            text += escape;
        }
    }
    return text;
}

bool unescapeBytes(const std::string &text, std::string *bytes, std::string *error) {
    static const std::string letters("\\0nrt");
    static const std::string letterBytes("\\\0\n\r\t", 5);
    bytes->clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes->push_back(text[i]);
        } else if (++i == text.size()) {
            *error = "a lone backslash at the end";
            return false;
        } else if (text[i] == 'x') {
            const int byte = hexEscapeValue(text, i);
            if (byte < 0) {
                *error = "\\x needs two hexadecimal digits";
                return false;
            }
            bytes->push_back(char(byte));
            i += 2;
        } else if (const std::size_t letter = letters.find(text[i]); letter != std::string::npos) {
            bytes->push_back(letterBytes[letter]);
        } else {
            *error = std::string("unknown escape \\") + text[i];
            return false;
        }
    }
    return true;
}

} // namespace orvane
