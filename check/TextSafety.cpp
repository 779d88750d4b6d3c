#include "TextSafety.h"

#include "ByteText.h"

namespace orvanecheck {

std::string escapeForStatusLine(const std::string &bytes) {
    return orvane::escapeBytes(bytes, "|\"\\");
}

std::string jsonString(const std::string &bytes) {
    std::string json = "\"";
    for (const char c : bytes) {
        // The byte escaper doubles a backslash, as JSON does, and its "\xNN" for a byte outside
        // printable ASCII is JSON's "\u00NN".
        const std::string escaped = orvane::escapeBytes(std::string(1, c));
        json += c == '"' ? "\\\"" : escaped.size() == 4 ? "\\u00" + escaped.substr(2) : escaped;
    }
    return json + "\"";
}

} // namespace orvanecheck
