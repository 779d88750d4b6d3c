// Runs the real orvane-check against simulated devices and checks what a monitoring system sees:
// the exit code and the first line of standard output.

#include "RunProgram.h"
#include "SimulatedDevice.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <regex>

namespace {

// Addresses of the command-line check tests; one per test, so they may run side by side.
constexpr char kFreeAddress[] = "127.0.0.110";
constexpr char kThisPcAddress[] = "127.0.0.111";
constexpr char kOtherPcAddress[] = "127.0.0.112";
constexpr char kSilentAddress[] = "127.0.0.113";
constexpr char kNoSeparatorAddress[] = "127.0.0.114";
constexpr char kOversizedAddress[] = "127.0.0.115";
constexpr char kHostileAddress[] = "127.0.0.116";
constexpr char kJsonAddress[] = "127.0.0.117";
constexpr char kRelayAddress[] = "127.0.0.118";
constexpr char kSlowAddress[] = "127.0.1.10";

std::vector<std::string> linesOf(const std::string &text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

class CheckProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvane-check-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        stateDir = pattern;
    }

    void TearDown() override {
        const std::string logFile = stateDir + "/hvcxdrv_debug.txt";
        std::remove(logFile.c_str());
        rmdir(stateDir.c_str());
    }

    void startDevice(const std::string &address) {
        std::string error;
        ASSERT_TRUE(device.start(address, 9758, &error)) << error;
    }

    // The network layer's log goes to the test's own directory, never to the user's.
    ProgramRun check(const std::vector<std::string> &arguments) {
        return runProgram(ORVANE_CHECK_PROGRAM, arguments, {"XDG_STATE_HOME=" + stateDir});
    }

    simdevice::SimulatedDevice device;
    std::string stateDir;
};

void expectOneLine(const ProgramRun &run, const std::string &expectedPrefix) {
    const std::vector<std::string> lines = linesOf(run.standardOutput);
    ASSERT_EQ(lines.size(), 1U) << run.standardOutput;
    EXPECT_EQ(lines[0].rfind(expectedPrefix, 0), 0U) << lines[0];
    EXPECT_EQ(run.standardOutput.back(), '\n');
}

void expectPerformanceData(const std::string &line, const std::string &timeoutMs,
                           const std::string &thresholds = ";") {
    static const std::regex rtt(R"( \| rtt=[0-9]+\.[0-9]{3}ms;([0-9]*;[0-9]*);0;([0-9]+)$)");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(line, match, rtt)) << line;
    EXPECT_EQ(match[1], thresholds);
    EXPECT_EQ(match[2], timeoutMs);
}

} // namespace

TEST_F(CheckProgram, FreeDeviceIsOk) {
    startDevice(kFreeAddress);
    device.answerWith("CAPTURE-12", "0.0.0.0");
    const ProgramRun run = check({"-H", kFreeAddress});
    EXPECT_EQ(run.exitCode, 0);
    expectOneLine(run, "ORVANE OK - captureORVANE \"CAPTURE-12\" available | rtt=");
    expectPerformanceData(run.standardOutput.substr(0, run.standardOutput.size() - 1), "1000");
    EXPECT_EQ(device.requestsSeen(), 1U);
}

TEST_F(CheckProgram, DeviceHeldByThisPcIsOk) {
    startDevice(kThisPcAddress);
    device.answerWith("SRC-6603", "127.0.0.1");
    const ProgramRun run = check({"-H", kThisPcAddress, "-t", "2"});
    EXPECT_EQ(run.exitCode, 0);
    expectOneLine(run, "ORVANE OK - sourceORVANE \"SRC-6603\" used by this PC | rtt=");
    expectPerformanceData(run.standardOutput.substr(0, run.standardOutput.size() - 1), "2000");
}

TEST_F(CheckProgram, DeviceHeldByAnotherPcWarnsWithThatPcsAddress) {
    startDevice(kOtherPcAddress);
    device.answerWith("CAPTURE-3", "192.0.2.7\r\n");
    const ProgramRun run = check({"-H", kOtherPcAddress});
    EXPECT_EQ(run.exitCode, 1);
    expectOneLine(run,
                  "ORVANE WARNING - captureORVANE \"CAPTURE-3\" used by another PC (192.0.2.7) | ");
}

// A device that answers after 300 ms: past -w 0.1, within -c 0.5; past -c 0.2; and with -t 0.2
// no answer at all, whatever the thresholds.
TEST_F(CheckProgram, SlowAnswerWarnsOrIsCriticalPastTheThresholds) {
    startDevice(kSlowAddress);
    device.answerWith("CAPTURE-12", "0.0.0.0");
    device.answerAfter(300);
    const std::regex slow(
        R"(ORVANE (WARNING|CRITICAL) - captureORVANE "CAPTURE-12" available, but )"
        R"(the answer took ([0-9]+)\.[0-9] ms \((warning|critical) above )"
        R"(([0-9]+) ms\) \| rtt=[0-9]+\.[0-9]{3}ms;[0-9]+;[0-9]+;0;1000\n)");
    std::smatch match;

    const ProgramRun warning = check({"-H", kSlowAddress, "-w", "0.1", "-c", "0.5"});
    EXPECT_EQ(warning.exitCode, 1);
    ASSERT_TRUE(std::regex_match(warning.standardOutput, match, slow)) << warning.standardOutput;
    EXPECT_EQ(match[1], "WARNING");
    EXPECT_GE(std::stoi(match[2]), 300);
    EXPECT_EQ(match[3], "warning");
    EXPECT_EQ(match[4], "100");
    expectPerformanceData(warning.standardOutput.substr(0, warning.standardOutput.size() - 1),
                          "1000", "100;500");

    const ProgramRun critical = check({"-H", kSlowAddress, "--warning=0.1", "--critical=0.2"});
    EXPECT_EQ(critical.exitCode, 2);
    ASSERT_TRUE(std::regex_match(critical.standardOutput, match, slow)) << critical.standardOutput;
    EXPECT_EQ(match[1], "CRITICAL");
    EXPECT_EQ(match[3], "critical");
    EXPECT_EQ(match[4], "200");

    const ProgramRun timedOut = check({"-H", kSlowAddress, "-t", "0.2", "-w", "0.1"});
    EXPECT_EQ(timedOut.exitCode, 2);
    expectOneLine(timedOut, "ORVANE CRITICAL - no answer from 127.0.1.10 within 0.2 s");
}

TEST_F(CheckProgram, NamelessReplyIsARelayHost) {
    startDevice(kRelayAddress);
    device.answerWith("", "0.0.0.0");
    const ProgramRun run = check({"-H", kRelayAddress});
    EXPECT_EQ(run.exitCode, 0);
    expectOneLine(run, "ORVANE OK - Relay Host available | rtt=");
}

TEST_F(CheckProgram, SilentDeviceIsCritical) {
    startDevice(kSilentAddress);
    device.beSilent();
    const ProgramRun run = check({"-H", kSilentAddress, "-t", "0.2"});
    EXPECT_EQ(run.exitCode, 2);
    expectOneLine(run, "ORVANE CRITICAL - no answer from 127.0.0.113 within 0.2 s");
}

TEST_F(CheckProgram, ReplyWithoutSeparatorIsUnknownWithResult13) {
    startDevice(kNoSeparatorAddress);
    device.answerRaw("captureORVANE 0.0.0.0");
    const ProgramRun run = check({"-H", kNoSeparatorAddress});
    EXPECT_EQ(run.exitCode, 3);
    expectOneLine(run, "ORVANE UNKNOWN - query of 127.0.0.114 failed with result 13 (");
}

// The network layer prints its own line for this failure; it must come after the status line.
TEST_F(CheckProgram, OversizedReplyIsUnknownWithResult65AndTheStatusLineFirst) {
    startDevice(kOversizedAddress);
    device.answerRaw("captureORVANE#0.0.0.0" + std::string(200, ' '));
    const ProgramRun run = check({"-H", kOversizedAddress});
    EXPECT_EQ(run.exitCode, 3);
    const std::vector<std::string> lines = linesOf(run.standardOutput);
    ASSERT_EQ(lines.size(), 2U) << run.standardOutput;
    EXPECT_EQ(lines[0].rfind("ORVANE UNKNOWN - query of 127.0.0.115 failed with result 65 (", 0),
              0U)
        << lines[0];
    EXPECT_NE(lines[0].find(": Error receiving message: "), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1].rfind("OrvaneMonitor::dwGetOrvaneState: Error receiving message: ", 0), 0U)
        << lines[1];
}

TEST_F(CheckProgram, HostileReplyBytesCannotForgeLinesOrPerformanceData) {
    startDevice(kHostileAddress);
    device.answerRaw("X|y\nORVANE OK - \x1b[0m\xfe#10.9.8.7\n| rtt=0ms");
    const ProgramRun run = check({"-H", kHostileAddress});
    EXPECT_EQ(run.exitCode, 1);
    expectOneLine(run, "ORVANE WARNING - captureORVANE \"X\\x7cy\\x0aORVANE OK - \\x1b[0m\\xfe\"");
    const std::string &out = run.standardOutput;
    EXPECT_EQ(std::count(out.begin(), out.end(), '|'), 1) << out;
    EXPECT_NE(out.find("used by another PC (10.9.8.7\\x0a\\x7c rtt=0ms)"), std::string::npos)
        << out;
    EXPECT_TRUE(std::all_of(out.begin(), out.end() - 1, [](char c) {
        return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7f;
    })) << out;
}

TEST_F(CheckProgram, JsonDescribesTheAnswerInOneObject) {
    startDevice(kJsonAddress);
    device.answerWith("SRC\"66\x01", "192.0.2.44 ");
    const ProgramRun run = check({"--json", "-H", kJsonAddress, "-t", "0.75"});
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(linesOf(run.standardOutput).size(), 1U) << run.standardOutput;
    const nlohmann::json json = nlohmann::json::parse(run.standardOutput);
    EXPECT_EQ(json["address"], kJsonAddress);
    EXPECT_EQ(json["status"], "WARNING");
    EXPECT_EQ(json["exit_code"], 1);
    EXPECT_EQ(json["result"], 0);
    EXPECT_EQ(json["state"], 1);
    EXPECT_EQ(json["state_name"], "ORVANE_USED_BY_OTHER_PC");
    EXPECT_EQ(json["reply_name"], "SRC\"66\x01");
    EXPECT_EQ(json["device_kind"], "sourceORVANE");
    EXPECT_EQ(json["user_address"], "192.0.2.44 ");
    EXPECT_GE(json["rtt_ms"].get<double>(), 0.0);
    EXPECT_EQ(json["timeout_ms"], 750);
}

TEST_F(CheckProgram, BadCommandLinesAreUnknownWithAReasonAndTheUsage) {
    for (const std::vector<std::string> &arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"-H", "300.1.1.1"},
                                               {"-H", "192.168.1"},
                                               {"-H", "localhost"},
                                               {"-H", "127.0.0.1", "-t", "0"},
                                               {"-H", "127.0.0.1", "-t", "-1"},
                                               {"-H", "127.0.0.1", "-t", "abc"},
                                               {"-H", "127.0.0.1", "-t", "1,5"},
                                               {"-H", "127.0.0.1", "-w", "-0.1"},
                                               {"-H", "127.0.0.1", "-w", "0.5", "-c", "0.2"},
                                               {"-H", "127.0.0.1", "-t", "0.5", "-c", "0.8"},
                                               {"-H", "127.0.0.1", "--colour"}}) {
        const ProgramRun run = check(arguments);
        EXPECT_EQ(run.exitCode, 3) << ::testing::PrintToString(arguments);
        const std::vector<std::string> lines = linesOf(run.standardOutput);
        ASSERT_EQ(lines.size(), 2U) << run.standardOutput;
        EXPECT_EQ(lines[0].rfind("ORVANE UNKNOWN - ", 0), 0U) << lines[0];
        EXPECT_GT(lines[0].size(), std::string("ORVANE UNKNOWN - ").size());
        EXPECT_EQ(lines[1].rfind("Usage: orvane-check -H ADDRESS", 0), 0U) << lines[1];
    }
}

TEST_F(CheckProgram, HelpAndVersion) {
    const ProgramRun version = check({"-V"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.standardOutput, "orvane-check 1.0.13503\n");

    const ProgramRun help = check({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char *part : {"Usage: orvane-check -H ADDRESS [-t SECONDS] [-w SECONDS] "
                             "[-c SECONDS] [--json] [-h] [-V]",
                             "--timeout=SECONDS", "--warning=SECONDS", "--critical=SECONDS",
                             "3 UNKNOWN", "README-orvane-check.md"}) {
        EXPECT_NE(help.standardOutput.find(part), std::string::npos) << part;
    }
}
