// Runs the real orvane-check against simulated devices and checks what a monitoring system sees:
// the exit code and the first line of standard output.

#include "RunProgram.h"
#include "SimulatedDevice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>
#include <tuple>

namespace {

class CheckProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvane-check-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        stateDir = pattern;
    }

    void TearDown() override { std::filesystem::remove_all(stateDir); }

    // The network layer's log goes to the test's own directory, never to the user's.
    ProgramRun check(const std::vector<std::string> &arguments) {
        return runProgram(ORVANE_CHECK_PROGRAM, arguments, {"XDG_STATE_HOME=" + stateDir});
    }

    std::string stateDir;
};

// The performance data that end a status line, as a pattern: the round trip, the thresholds
// (";" for none) and the time-out.
std::string performanceData(const std::string &thresholds, const std::string &timeoutMs) {
    return R"( \| rtt=[0-9]+\.[0-9]{3}ms;)" + thresholds + ";0;" + timeoutMs + "\n";
}

} // namespace

// One device each, on an address of its own: its reply (none: silent) and how late it comes, the
// options after -H, the exit code, and the whole output as a pattern. No reply byte may end the
// line early or forge performance data, and the network layer's own lines follow the status line.
// The holder's name is not looked up here (-n): holder_names.sh does so with a resolver of its own.
TEST_F(CheckProgram, EachAnswerGivesItsOutputAndExitCode) {
    using Answer = std::tuple<std::string, std::optional<std::string>, unsigned,
                              std::vector<std::string>, int, std::string>;
    const std::string took300 = R"(, but the answer took [3-9][0-9]{2}\.[0-9] ms )";
    // clang-format off
    const Answer answers[] = {
        {"127.0.0.110", "CAPTURE-12#0.0.0.0", 0, {}, 0,
         R"(ORVANE OK - captureORVANE "CAPTURE-12" available)" + performanceData(";", "1000")},
        {"127.0.0.111", "SRC-6603#127.0.0.1", 0, {"-t", "2"}, 0,
         R"(ORVANE OK - sourceORVANE "SRC-6603" used by this PC)" + performanceData(";", "2000")},
        {"127.0.0.112", "CAPTURE-3#192.0.2.7\r\n", 0, {"-n"}, 1,
         R"(ORVANE WARNING - captureORVANE "CAPTURE-3" used by another PC \(192\.0\.2\.7\))" +
             performanceData(";", "1000")},
        {"127.0.0.118", "#0.0.0.0", 0, {}, 0,
         "ORVANE OK - Relay Host available" + performanceData(";", "1000")},
        {"127.0.0.113", std::nullopt, 0, {"-t", "0.2"}, 2,
         R"(ORVANE CRITICAL - no answer from 127\.0\.0\.113 within 0\.2 s\n)"},
        {"127.0.0.114", "captureORVANE 0.0.0.0", 0, {}, 3,
         R"(ORVANE UNKNOWN - query of 127\.0\.0\.114 failed with result 13 \(the reply holds )"
         R"(no "#"\)\n)"},
        {"127.0.0.115", "captureORVANE#0.0.0.0" + std::string(200, ' '), 0, {}, 3,
         R"(ORVANE UNKNOWN - query of 127\.0\.0\.115 failed with result 65 \([^\n]*: Error )"
         R"(receiving message: [^\n]*\nOrvaneMonitor::dwGetOrvaneState: Error receiving )"
         R"(message: [^\n]*\n)"},
        {"127.0.0.116", "X|y\nORVANE OK - \x1b[0m\xfe#10.9.8.7\n| rtt=0ms", 0, {}, 1,
         R"(ORVANE WARNING - captureORVANE "X\\x7cy\\x0aORVANE OK - \\x1b\[0m\\xfe" used by )"
         R"(another PC \(10\.9\.8\.7\\x0a\\x7c rtt=0ms\))" + performanceData(";", "1000")},
        // Past -w 0.1, within -c 0.5; past -c 0.2; and with -t 0.2 no answer, whatever the
        // thresholds.
        {"127.0.1.10", "CAPTURE-12#0.0.0.0", 300, {"-w", "0.1", "-c", "0.5"}, 1,
         R"(ORVANE WARNING - captureORVANE "CAPTURE-12" available)" + took300 +
             R"(\(warning above 100 ms\))" + performanceData("100;500", "1000")},
        {"127.0.1.10", "CAPTURE-12#0.0.0.0", 300, {"--warning=0.1", "--critical=0.2"}, 2,
         R"(ORVANE CRITICAL - captureORVANE "CAPTURE-12" available)" + took300 +
             R"(\(critical above 200 ms\))" + performanceData("100;200", "1000")},
        {"127.0.1.10", "CAPTURE-12#0.0.0.0", 300, {"-t", "0.2", "-w", "0.1"}, 2,
         R"(ORVANE CRITICAL - no answer from 127\.0\.1\.10 within 0\.2 s\n)"},
        // The JSON object, on one line, with the reply's bytes intact.
        {"127.0.0.117", "SRC\"66\x01#192.0.2.44 ", 0, {"--json", "-n", "-t", "0.75"}, 1,
         R"(\{"address":"127\.0\.0\.117","status":"WARNING","exit_code":1,"result":0,)"
         R"("error":null,"state":1,"state_name":"ORVANE_USED_BY_OTHER_PC",)"
         R"("reply_name":"SRC\\"66\\u0001","device_kind":"sourceORVANE",)"
         R"("user_address":"192\.0\.2\.44 ","user_name":null,"rtt_ms":[0-9]+\.[0-9]{3},)"
         R"("timeout_ms":750,"warning_ms":null,"critical_ms":null,"messages":\[\]\}\n)"}};
    // clang-format on
    for (const auto &[address, reply, delayMs, options, exitCode, output] : answers) {
        SCOPED_TRACE(output);
        simdevice::SimulatedDevice device;
        std::string error;
        ASSERT_TRUE(device.start(address, 9758, &error)) << error;
        reply ? device.answerRaw(*reply) : device.beSilent();
        device.answerAfter(delayMs);
        std::vector<std::string> arguments = {"-H", address};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const ProgramRun run = check(arguments);
        EXPECT_EQ(run.exitCode, exitCode);
        EXPECT_TRUE(std::regex_match(run.standardOutput, std::regex(output))) << run.standardOutput;
        EXPECT_EQ(device.requestsSeen(), 1U);
    }
}

// The reason on the first line (CheckOptionsTest has each one's words), the usage on the second.
TEST_F(CheckProgram, BadCommandLinesAreUnknownWithAReasonAndTheUsage) {
    const std::regex unknown("ORVANE UNKNOWN - [^\n]+\nUsage: orvane-check -H ADDRESS [^\n]*\n");
    // clang-format off
    for (const std::vector<std::string> &arguments : std::vector<std::vector<std::string>>{
             {}, {"-H", "300.1.1.1"}, {"-H", "192.168.1"}, {"-H", "localhost"},
             {"-H", "127.0.0.1", "-t", "0"}, {"-H", "127.0.0.1", "-t", "-1"},
             {"-H", "127.0.0.1", "-t", "abc"}, {"-H", "127.0.0.1", "-t", "1,5"},
             {"-H", "127.0.0.1", "-w", "-0.1"}, {"-H", "127.0.0.1", "-w", "0.5", "-c", "0.2"},
             {"-H", "127.0.0.1", "-t", "0.5", "-c", "0.8"}, {"-H", "127.0.0.1", "--colour"}}) {
        // clang-format on
        const ProgramRun run = check(arguments);
        EXPECT_EQ(run.exitCode, 3) << ::testing::PrintToString(arguments);
        EXPECT_TRUE(std::regex_match(run.standardOutput, unknown)) << run.standardOutput;
    }
}

TEST_F(CheckProgram, HelpAndVersion) {
    const ProgramRun version = check({"-V"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.standardOutput, "orvane-check 1.0.13503\n");

    const ProgramRun help = check({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char *part : {"Usage: orvane-check -H ADDRESS [-t SECONDS] [-w SECONDS] "
                             "[-c SECONDS] [-n] [--json] [-h] [-V]",
                             "--no-names", "user_name", "--timeout=SECONDS", "--warning=SECONDS",
                             "--critical=SECONDS", "3 UNKNOWN", "README-orvane-check.md"}) {
        EXPECT_NE(help.standardOutput.find(part), std::string::npos) << part;
    }
}
