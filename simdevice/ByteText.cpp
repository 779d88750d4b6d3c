#include "ByteText.h"

#include <cstdio>

namespace simdevice {

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

bool decodeSimpleEscape(char c, char *byte) {
    switch (c) {
    case '\\':
        *byte = '\\';
        return true;
    case '0':
        *byte = '\0';
        return true;
    case 'n':
        *byte = '\n';
        return true;
    case 'r':
        *byte = '\r';
        return true;
    case 't':
        *byte = '\t';
        return true;
    default:
        return false;
    }
}

} // namespace

bool decodeByteText(const std::string &text, std::string *bytes, std::string *error) {
    bytes->clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes->push_back(text[i]);
            continue;
        }
        if (i + 1 >= text.size()) {
            *error = "a lone backslash at the end";
            return false;
        }
        const char kind = text[++i];
        char byte = 0;
        if (kind == 'x') {
            const int high = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
            const int low = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
            if (high < 0 || low < 0) {
                *error = "\\x needs two hexadecimal digits";
                return false;
            }
            byte = char(high * 16 + low);
            i += 2;
        } else if (!decodeSimpleEscape(kind, &byte)) {
            *error = std::string("unknown escape \\") + kind;
            return false;
        }
        bytes->push_back(byte);
    }
    return true;
}

std::string encodeByteText(const std::string &bytes) {
    std::string text;
    for (const char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7f) {
            text.push_back(c);
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            text += escape;
        }
    }
    return text;
}

} // namespace simdevice
