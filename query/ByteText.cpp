#include "ByteText.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace orvane {

namespace {

// The byte of "\xNN" at text[at]; -1 unless two hexadecimal digits follow the "x".
int hexEscapeValue(const std::string &text, std::size_t at) {
    unsigned byte = 0;
    const char *digits = text.data() + at + 1;
    if (at + 2 >= text.size() || std::from_chars(digits, digits + 2, byte, 16).ptr != digits + 2) {
        return -1;
    }
    return int(byte);
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

std::string trimTrailingWhitespace(const std::string &text) {
    const std::size_t end = text.find_last_not_of(" \t\r\n\v\f");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

} // namespace orvane
