// Escaping and trimming of reply bytes: the guard between a device's arbitrary bytes and the
// status line or JSON document that a monitoring system parses.

#include "TextSafety.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace orvanecheck;

TEST(CheckText, StatusLineEscapingKeepsPrintableAsciiAndHexesTheRest) {
    EXPECT_EQ(escapeForStatusLine("CAPTURE-12 lab A"), "CAPTURE-12 lab A");
    EXPECT_EQ(escapeForStatusLine(std::string("a|b\n\"\\\x01\x7f\xff", 9)),
              "a\\x7cb\\x0a\\x22\\x5c\\x01\\x7f\\xff");
    EXPECT_EQ(escapeForStatusLine(std::string("x\0y", 3)), "x\\x00y");
}

TEST(CheckText, EveryByteValueEscapesToPlainPrintableAscii) {
    for (int value = 0; value < 256; ++value) {
        const std::string escaped = escapeForStatusLine(std::string(1, static_cast<char>(value)));
        for (char c : escaped) {
            const auto byte = static_cast<unsigned char>(c);
            ASSERT_TRUE(byte >= 0x20 && byte < 0x7f && c != '|') << "byte " << value;
        }
    }
}

TEST(CheckText, TrimRemovesOnlyTrailingWhitespace) {
    EXPECT_EQ(trimTrailingWhitespace("192.0.2.7 \t\r\n"), "192.0.2.7");
    EXPECT_EQ(trimTrailingWhitespace(" 192.0.2.7"), " 192.0.2.7");
    EXPECT_EQ(trimTrailingWhitespace("a b"), "a b");
    EXPECT_EQ(trimTrailingWhitespace(" \r\n"), "");
    EXPECT_EQ(trimTrailingWhitespace(""), "");
}

TEST(CheckText, JsonStringOfEveryByteIsValidJsonAndKeepsEachByteAsItsCodePoint) {
    std::string allBytes;
    for (int value = 0; value < 256; ++value) {
        allBytes += static_cast<char>(value);
    }
    const nlohmann::json parsed = nlohmann::json::parse(jsonString(allBytes));
    ASSERT_TRUE(parsed.is_string());
    // The parser hands back UTF-8; decoding it as Latin-1 must give the original bytes.
    const std::string utf8 = parsed.get<std::string>();
    std::string decoded;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            decoded += static_cast<char>(lead);
        } else {
            ASSERT_LT(i + 1, utf8.size());
            const auto trail = static_cast<unsigned char>(utf8[++i]);
            decoded += static_cast<char>(((lead & 0x1f) << 6) | (trail & 0x3f));
        }
    }
    EXPECT_EQ(decoded, allBytes);
}

TEST(CheckText, JsonStringEscapesQuoteAndBackslash) {
    EXPECT_EQ(jsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(jsonString(""), "\"\"");
}
