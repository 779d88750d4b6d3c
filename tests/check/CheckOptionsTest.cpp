// The command line: what is accepted, and that every refusal is a usage error with a reason.

#include "CheckOptions.h"

#include <gtest/gtest.h>

using namespace orvanecheck;

namespace {

CheckOptions parse(std::vector<std::string> args) {
    return parseCheckOptions(args);
}

} // namespace

TEST(CheckOptions, AddressAndTimeoutInEveryWrittenForm) {
    for (const auto &args :
         std::vector<std::vector<std::string>>{{"-H", "10.0.0.1", "-t", "2.5"},
                                               {"-H10.0.0.1", "-t2.5"},
                                               {"--hostname", "10.0.0.1", "--timeout", "2.5"},
                                               {"--hostname=10.0.0.1", "--timeout=2.5"},
                                               {"-t", "2.5", "-H", "10.0.0.1"}}) {
        const CheckOptions options = parse(args);
        ASSERT_EQ(options.action, CheckAction::Run) << options.error;
        EXPECT_EQ(options.address, "10.0.0.1");
        EXPECT_EQ(options.timeoutMs, 2500U);
        EXPECT_FALSE(options.json);
    }
}

TEST(CheckOptions, DefaultsToOneSecondAndPlainOutput) {
    const CheckOptions options = parse({"-H", "127.0.0.1"});
    ASSERT_EQ(options.action, CheckAction::Run);
    EXPECT_EQ(options.timeoutMs, 1000U);
    EXPECT_FALSE(options.json);
    EXPECT_TRUE(parse({"--json", "-H", "127.0.0.1"}).json);
}

TEST(CheckOptions, HelpAndVersionAnswerWhateverElseIsGiven) {
    EXPECT_EQ(parse({"-h"}).action, CheckAction::ShowHelp);
    EXPECT_EQ(parse({"--help"}).action, CheckAction::ShowHelp);
    EXPECT_EQ(parse({"-V"}).action, CheckAction::ShowVersion);
    EXPECT_EQ(parse({"-H", "10.0.0.1", "--version"}).action, CheckAction::ShowVersion);
}

TEST(CheckOptions, RefusalsAreUsageErrorsWithAReason) {
    for (const auto &args : std::vector<std::vector<std::string>>{{},
                                                                  {"-t", "1"},
                                                                  {"-H"},
                                                                  {"-H", "10.0.0.1", "-t"},
                                                                  {"-H", "10.0.0.256"},
                                                                  {"-H", "192.168.1"},
                                                                  {"-H", "192.168.1.1 "},
                                                                  {"-H", "001.1.1.1"},
                                                                  {"-H", "host.example"},
                                                                  {"-H", "10.0.0.1", "extra"},
                                                                  {"-H", "10.0.0.1", "-x"}}) {
        const CheckOptions options = parse(args);
        EXPECT_EQ(options.action, CheckAction::UsageError) << ::testing::PrintToString(args);
        EXPECT_FALSE(options.error.empty());
    }
}

TEST(CheckOptions, RefusedTextIsEscapedInTheReason) {
    const CheckOptions options = parse({"-H", "1.2.3.4\nORVANE OK - fake"});
    ASSERT_EQ(options.action, CheckAction::UsageError);
    EXPECT_EQ(options.error.find('\n'), std::string::npos);
}

TEST(CheckOptions, AddressRuleIsTheValidatorsWholeTextMatch) {
    for (const char *good : {"0.0.0.0", "255.255.255.255", "01.02.03.04", "9.99.199.249"}) {
        EXPECT_TRUE(isAcceptedAddress(good)) << good;
    }
    for (const char *bad : {"", "256.1.1.1", "001.1.1.1", "1.2.3.4.5", "1.2.3.4 ", " 1.2.3.4"}) {
        EXPECT_FALSE(isAcceptedAddress(bad)) << bad;
    }
}

TEST(CheckOptions, TimeoutIsPlainDecimalSecondsRoundedToMilliseconds) {
    const std::vector<std::pair<const char *, std::uint32_t>> accepted = {
        {"1", 1000},  {"0.2", 200},  {".5", 500},       {"2.", 2000},
        {"0.001", 1}, {"0.0015", 2}, {"3600", 3600000}, {"007", 7000}};
    for (const auto &[text, expected] : accepted) {
        std::uint32_t timeoutMs = 0;
        EXPECT_TRUE(parseTimeoutSeconds(text, timeoutMs)) << text;
        EXPECT_EQ(timeoutMs, expected) << text;
    }
    for (const char *text : {"0", "0.0", "0.0004", "-1", "+1", "abc", "1,5", "1e3", "0x10", "inf",
                             "nan", "", ".", "1.2.3", " 1", "3600.001", "99999999999999999999"}) {
        std::uint32_t timeoutMs = 42;
        EXPECT_FALSE(parseTimeoutSeconds(text, timeoutMs)) << text;
        EXPECT_EQ(timeoutMs, 42U) << text;
    }
}
