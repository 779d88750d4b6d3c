// Escaping of reply bytes: the guard between a device's arbitrary bytes and the
// status line or JSON document that a monitoring system parses.

#include "TextSafety.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace orvanecheck;

// The status line keeps printable ASCII and hexes the rest; JSON escapes quote and backslash.
TEST(CheckText, EscapingForTheStatusLineAndJson) {
    EXPECT_EQ(escapeForStatusLine("CAPTURE-12 lab A"), "CAPTURE-12 lab A");
    EXPECT_EQ(escapeForStatusLine(std::string("a|b\n\"\\\x01\x7f\xff", 9)),
              "a\\x7cb\\x0a\\x22\\x5c\\x01\\x7f\\xff");
    EXPECT_EQ(escapeForStatusLine(std::string("x\0y", 3)), "x\\x00y");
    EXPECT_EQ(jsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(jsonString(""), "\"\"");
}

// Every byte value: escaped for the status line, plain printable ASCII without '|'; in a JSON
// string, all of them together are valid JSON and each byte is kept as its code point, which the
// parser hands back as UTF-8.
TEST(CheckText, EveryByteValueIsPlainAsciiInTheLineAndItsCodePointInJson) {
    std::string allBytes;
    std::string utf8;
    for (int value = 0; value < 256; ++value) {
        const auto byte = static_cast<char>(value);
        for (const char c : escapeForStatusLine(std::string(1, byte))) {
            ASSERT_TRUE(c >= 0x20 && c < 0x7f && c != '|') << "byte " << value;
        }
        allBytes += byte;
        utf8 += value < 0x80 ? std::string(1, byte)
                             : std::string{static_cast<char>(0xc0 | value >> 6),
                                           static_cast<char>(0x80 | (value & 0x3f))};
    }
    const nlohmann::json parsed = nlohmann::json::parse(jsonString(allBytes));
    ASSERT_TRUE(parsed.is_string());
    EXPECT_EQ(parsed.get<std::string>(), utf8);
}
