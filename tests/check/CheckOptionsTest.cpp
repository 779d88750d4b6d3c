// The command line: what is accepted, and that every refusal is a usage error with a reason.

#include "CheckOptions.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

using namespace orvanecheck;

constexpr auto parse = parseCheckOptions;

// Each accepted command line with the time-out and thresholds it gives: the forms of writing
// options; the defaults of one second and no thresholds; either threshold alone, the two equal,
// equal to the time-out, or above the default time-out when -t (given later) makes room. Then
// --json, -n, and the command lines that ask for help or the version.
TEST(CheckOptions, AcceptedInEveryWrittenForm) {
    using Milliseconds = std::optional<std::uint32_t>;
    using Accepted =
        std::tuple<std::vector<std::string>, std::uint32_t, Milliseconds, Milliseconds>;
    // clang-format off
    const Accepted accepted[] = {
        {{"-H", "10.0.0.1", "-t", "2.5", "-w", "0.2", "-c", "0.5"}, 2500, 200, 500},
        {{"-H10.0.0.1", "-t2.5", "-w0.2", "-c.5"}, 2500, 200, 500},
        {{"--hostname", "10.0.0.1", "--timeout", "2.5", "--warning", "0.2", "--critical", "0.5"},
         2500, 200, 500},
        {{"--hostname=10.0.0.1", "--timeout=2.5", "--critical=0.5", "--warning=0.2"},
         2500, 200, 500},
        {{"-t", "2.5", "-w", "0.2", "-c", "0.5", "-H", "10.0.0.1"}, 2500, 200, 500},
        {{"-H", "10.0.0.1"}, 1000, std::nullopt, std::nullopt},
        {{"-H", "10.0.0.1", "-c", "1"}, 1000, std::nullopt, 1000},
        {{"-H", "10.0.0.1", "-w", "0.3", "-c", "0.3"}, 1000, 300, 300},
        {{"-H", "10.0.0.1", "-w", "2", "-c", "3", "-t", "3"}, 3000, 2000, 3000}};
    // clang-format on
    for (const auto &[args, timeoutMs, warningMs, criticalMs] : accepted) {
        const CheckOptions options = parse(args);
        ASSERT_EQ(options.action, CheckAction::Run) << options.error;
        EXPECT_EQ(options.address, "10.0.0.1");
        EXPECT_EQ(options.timeoutMs, timeoutMs);
        EXPECT_EQ(options.thresholds.warningMs, warningMs);
        EXPECT_EQ(options.thresholds.criticalMs, criticalMs);
        EXPECT_FALSE(options.json);
        EXPECT_TRUE(options.lookUpHolderName);
    }
    EXPECT_TRUE(parse({"--json", "-H", "127.0.0.1"}).json);
    EXPECT_FALSE(parse({"-n", "-H", "127.0.0.1"}).lookUpHolderName);
    EXPECT_FALSE(parse({"-H", "127.0.0.1", "--no-names"}).lookUpHolderName);
    // Help and version answer at once, whatever else is given.
    EXPECT_EQ(parse({"-h"}).action, CheckAction::ShowHelp);
    EXPECT_EQ(parse({"--help"}).action, CheckAction::ShowHelp);
    EXPECT_EQ(parse({"-V"}).action, CheckAction::ShowVersion);
    EXPECT_EQ(parse({"-H", "10.0.0.1", "--version", "-x"}).action, CheckAction::ShowVersion);
}

// Every refusal is a usage error whose reason names what was given as written, made safe.
TEST(CheckOptions, RefusalsAreUsageErrorsWithTheirReason) {
    const auto noAddress = [](const std::string &given) {
        return "\"" + given + "\" is not an IPv4 address in dotted-quad form such as 192.168.1.10";
    };
    const auto noSeconds = [](const std::string &what, const std::string &given) {
        return what + " \"" + given + "\" is not a number of seconds from 0.001 to 3600";
    };
    std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{}, "no device address given (-H ADDRESS)"},
        {{"-t", "1"}, "no device address given (-H ADDRESS)"},
        {{"-H"}, "option -H needs a value"},
        {{"-H", "10.0.0.1", "-t"}, "option -t needs a value"},
        {{"-H", "10.0.0.1", "--timeout"}, "option --timeout needs a value"},
        {{"-H", "1.2.3.4\nORVANE OK - fake"}, noAddress("1.2.3.4\\x0aORVANE OK - fake")},
        {{"-H", "10.0.0.1", "extra"}, "unknown argument \"extra\""},
        {{"-H", "10.0.0.1", "-x"}, "unknown argument \"-x\""},
        {{"-H", "10.0.0.1", "--json=1"}, "unknown argument \"--json=1\""},
        {{"-H", "10.0.0.1", "-w", "-1"}, noSeconds("warning threshold", "-1")},
        {{"-H", "10.0.0.1", "-c", "abc"}, noSeconds("critical threshold", "abc")},
        {{"-H", "10.0.0.1", "--warning="}, noSeconds("warning threshold", "")},
        {{"-H", "10.0.0.1", "-c"}, "option -c needs a value"},
        {{"-H", "10.0.0.1", "-w", "0.5", "-c", "0.2"},
         "warning threshold 0.5 s is above the critical threshold 0.2 s"},
        {{"-H", "10.0.0.1", "-c", "1.5"},
         "critical threshold 1.5 s is above the time-out 1 s, so no answer could reach it"},
        {{"-H", "10.0.0.1", "-t", "0.2", "-w", "0.3", "-c", "0.4"},
         "warning threshold 0.3 s is above the time-out 0.2 s, so no answer could reach it"}};
    for (const char *given :
         {"10.0.0.256", "192.168.1", "192.168.1.1 ", "001.1.1.1", "host.example"}) {
        refused.push_back({{"-H", given}, noAddress(given)});
    }
    for (const auto &[args, reason] : refused) {
        const CheckOptions options = parse(args);
        EXPECT_EQ(options.action, CheckAction::UsageError) << ::testing::PrintToString(args);
        EXPECT_EQ(options.error, reason);
    }
}
