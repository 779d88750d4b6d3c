// Seconds as the check and the exporter read and show them.
#include "Seconds.h"

#include <gtest/gtest.h>

#include <vector>

using namespace orvane;

TEST(SecondsTest, ArePlainDecimalsRoundedToMilliseconds) {
    const std::vector<std::pair<const char *, std::uint32_t>> accepted = {
        {"1", 1000},  {"0.2", 200},  {".5", 500},       {"2.", 2000},
        {"0.001", 1}, {"0.0015", 2}, {"3600", 3600000}, {"007", 7000}};
    for (const auto &[text, expected] : accepted) {
        std::uint32_t timeoutMs = 0;
        EXPECT_TRUE(parseSeconds(text, timeoutMs)) << text;
        EXPECT_EQ(timeoutMs, expected) << text;
    }
    for (const char *text : {"0", "0.0", "0.0004", "-1", "+1", "abc", "1,5", "1e3", "0x10", "inf",
                             "nan", "", ".", "1.2.3", " 1", "3600.001", "99999999999999999999"}) {
        std::uint32_t timeoutMs = 42;
        EXPECT_FALSE(parseSeconds(text, timeoutMs)) << text;
        EXPECT_EQ(timeoutMs, 42U) << text;
    }
}

TEST(SecondsTest, AreShownAsAUserWritesThem) {
    for (const auto &[milliseconds, text] : std::vector<std::pair<std::uint32_t, std::string>>{
             {200, "0.2"}, {1000, "1"}, {1500, "1.5"}, {1, "0.001"}, {3600000, "3600"}}) {
        EXPECT_EQ(formatSeconds(milliseconds), text);
    }
}
