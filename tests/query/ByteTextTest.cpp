// Bytes shown as text and typed back: the simulated device's console and the check show replies so.
#include "ByteText.h"

#include <gtest/gtest.h>

namespace {

TEST(ByteTextTest, EscapesStandForBytes) {
    std::string bytes;
    std::string error;
    ASSERT_TRUE(orvane::unescapeBytes("a\\x00#\\x7e\\\\\\n\\0\\r\\t", &bytes, &error));
    EXPECT_EQ(bytes, std::string("a\0#~\\\n\0\r\t", 9));
    EXPECT_EQ(orvane::escapeBytes(bytes), "a\\x00#~\\\\\\x0a\\x00\\x0d\\x09");
    EXPECT_EQ(orvane::escapeBytes(bytes, "#\\"), "a\\x00\\x23~\\x5c\\x0a\\x00\\x0d\\x09");
    EXPECT_EQ(orvane::escapeBytes("\xff\x7f"), "\\xff\\x7f");
    for (const char *broken : {"\\", "\\x4", "\\xg0", "\\q"}) {
        EXPECT_FALSE(orvane::unescapeBytes(broken, &bytes, &error)) << broken;
    }
}

// The trim removes only trailing whitespace.
TEST(ByteTextTest, TrimmingTakesOnlyTrailingWhitespace) {
    EXPECT_EQ(orvane::trimTrailingWhitespace("192.0.2.7 \t\r\n"), "192.0.2.7");
    EXPECT_EQ(orvane::trimTrailingWhitespace(" 192.0.2.7"), " 192.0.2.7");
    EXPECT_EQ(orvane::trimTrailingWhitespace("a b"), "a b");
    EXPECT_EQ(orvane::trimTrailingWhitespace(" \r\n"), "");
    EXPECT_EQ(orvane::trimTrailingWhitespace(""), "");
}

} // namespace
