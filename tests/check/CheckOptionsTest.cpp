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

TEST(CheckOptions, ThresholdsInEveryWrittenFormUpToTheTimeout) {
    for (const auto &args : std::vector<std::vector<std::string>>{
             {"-H", "10.0.0.1", "-w", "0.2", "-c", "0.5"},
             {"-H", "10.0.0.1", "-w0.2", "-c.5"},
             {"-H", "10.0.0.1", "--warning", "0.2", "--critical", "0.5"},
             {"--critical=0.5", "--warning=0.2", "-H", "10.0.0.1"}}) {
        const CheckOptions options = parse(args);
        ASSERT_EQ(options.action, CheckAction::Run) << options.error;
        EXPECT_EQ(options.thresholds.warningMs, 200U);
        EXPECT_EQ(options.thresholds.criticalMs, 500U);
    }
    // Either alone, equal to each other, equal to the time-out, or above the default time-out
    // when -t (given later) makes room.
    EXPECT_EQ(parse({"-H", "10.0.0.1", "-c", "1"}).thresholds.criticalMs, 1000U);
    EXPECT_EQ(parse({"-H", "10.0.0.1", "-w", "0.3", "-c", "0.3"}).action, CheckAction::Run);
    const CheckOptions late = parse({"-H", "10.0.0.1", "-w", "2", "-c", "3", "-t", "3"});
    ASSERT_EQ(late.action, CheckAction::Run) << late.error;
    EXPECT_EQ(late.thresholds.warningMs, 2000U);
    EXPECT_EQ(late.thresholds.criticalMs, 3000U);
}

TEST(CheckOptions, ThresholdsThatCouldNeverFireOrAreNoSecondsAreRefused) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"-w", "-1"}, "warning threshold \"-1\" is not a number of seconds from 0.001 to 3600"},
        {{"-c", "abc"}, "critical threshold \"abc\" is not a number of seconds from 0.001 to 3600"},
        {{"--warning="}, "warning threshold \"\" is not a number of seconds from 0.001 to 3600"},
        {{"-c"}, "option -c needs a value"},
        {{"-w", "0.5", "-c", "0.2"},
         "warning threshold 0.5 s is above the critical threshold 0.2 s"},
        {{"-c", "1.5"},
         "critical threshold 1.5 s is above the time-out 1 s, so no answer could "
         "reach it"},
        {{"-t", "0.2", "-w", "0.3", "-c", "0.4"},
         "warning threshold 0.3 s is above the time-out 0.2 s, so no answer could reach it"}};
    for (const auto &[thresholdArgs, reason] : refused) {
        std::vector<std::string> args = {"-H", "10.0.0.1"};
        args.insert(args.end(), thresholdArgs.begin(), thresholdArgs.end());
        const CheckOptions options = parse(args);
        EXPECT_EQ(options.action, CheckAction::UsageError) << ::testing::PrintToString(args);
        EXPECT_EQ(options.error, reason);
    }
}

TEST(CheckOptions, DefaultsToOneSecondNoThresholdsAndPlainOutput) {
    const CheckOptions options = parse({"-H", "127.0.0.1"});
    ASSERT_EQ(options.action, CheckAction::Run);
    EXPECT_EQ(options.timeoutMs, 1000U);
    EXPECT_FALSE(options.thresholds.warningMs.has_value());
    EXPECT_FALSE(options.thresholds.criticalMs.has_value());
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

TEST(CheckOptions, SecondsArePlainDecimalsRoundedToMilliseconds) {
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
