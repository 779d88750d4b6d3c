// Thousands of queries against a simulated device whose answer changes every query: free, held
// by this PC, held elsewhere, silent, oversized, empty and without "#". Every result is checked,
// and the process must hold as many open file descriptors at the end as at the start, so that a
// socket left open on any path shows. ORVANE_SOAK_ROUNDS sets the number of rounds of all seven.
#include "OrvaneIdentity.h"
#include "OrvaneQuery.h"
#include "SimulatedDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr char DEVICE_ADDRESS[] = "127.0.0.130";
constexpr std::uint32_t ANSWER_TIMEOUT_MS = 1000;
// Silent rounds wait out the whole time-out; a short one keeps the soak quick.
constexpr std::uint32_t SILENT_TIMEOUT_MS = 20;
constexpr int DEFAULT_ROUNDS = 700;
constexpr OrvaneState STATE_NOT_WRITTEN = static_cast<OrvaneState>(0xA5);

struct Round {
    const char *what;
    std::string reply; // ignored when silent
    bool silent;
    std::uint32_t result;
    OrvaneState state;
    std::string name;
};

std::vector<Round> roundsOfAllKinds() {
    return {
        {"free", "captureORVANE soak#0.0.0.0", false, 0, ORVANE_AVAILABLE, "captureORVANE soak"},
        {"held here", "unit 66#127.0.0.1", false, 0, ORVANE_USED_BY_THIS_PC, "unit 66"},
        {"held elsewhere", "captureORVANE#192.0.2.7", false, 0, ORVANE_USED_BY_OTHER_PC,
         "captureORVANE"},
        {"silent", "", true, 0, ORVANE_NOT_REACHABLE, ""},
        {"oversized", "captureORVANE#0.0.0.0" + std::string(200, ' '), false, ERR_QUERY_TRANSFER,
         STATE_NOT_WRITTEN, ""},
        {"empty", "", false, ERR_QUERY_REPLY, STATE_NOT_WRITTEN, ""},
        {"without #", "captureORVANE", false, ERR_QUERY_REPLY, STATE_NOT_WRITTEN, ""},
    };
}

int soakRounds() {
    const char *text = std::getenv("ORVANE_SOAK_ROUNDS");
    const int rounds = text != nullptr ? std::atoi(text) : 0;
    return rounds > 0 ? rounds : DEFAULT_ROUNDS;
}

std::size_t openDescriptors() {
    const std::filesystem::directory_iterator entries("/proc/self/fd");
    return std::size_t(std::distance(begin(entries), end(entries)));
}

// A silent device decides not to answer when it takes the request; waiting for that keeps a
// late answer of the old setting from reaching a later query.
bool waitForRequests(const simdevice::SimulatedDevice &device, std::size_t count) {
    for (int i = 0; i < 5000 && device.requestsSeen() < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return device.requestsSeen() == count;
}

// The buffer holds exactly the name followed by zeros up to its end.
bool nameBufferHolds(const char (&buffer)[ORVANE_NAME_BUFFER_SIZE], const std::string &name) {
    return name.size() < sizeof buffer && std::string(buffer, sizeof buffer) ==
                                              name + std::string(sizeof buffer - name.size(), '\0');
}

std::size_t countLines(const std::string &text, const std::string &line) {
    std::size_t count = 0;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
        ++count;
    }
    return count;
}

} // namespace

TEST(QuerySoakTest, EveryReplyKindOverThousandsOfQueriesLeavesNoDescriptorOpen) {
    simdevice::SimulatedDevice device;
    std::string error;
    ASSERT_TRUE(device.start(DEVICE_ADDRESS, orvane::kQueryPort, &error)) << error;
    ASSERT_EQ(dwInitSockets(), 0u);
    const std::vector<Round> kinds = roundsOfAllKinds();
    const int rounds = soakRounds();

    ::testing::internal::CaptureStdout();
    const std::size_t descriptorsAtStart = openDescriptors();
    std::size_t queries = 0;
    int failures = 0;
    for (int round = 0; round < rounds && failures < 10; ++round) {
        for (const Round &kind : kinds) {
            if (kind.silent) {
                device.beSilent();
            } else {
                device.answerRaw(kind.reply);
            }
            char name[ORVANE_NAME_BUFFER_SIZE] = {};
            OrvaneState state = STATE_NOT_WRITTEN;
            const std::uint32_t result = dwGetOrvaneState(
                DEVICE_ADDRESS, kind.silent ? SILENT_TIMEOUT_MS : ANSWER_TIMEOUT_MS, name, &state);
            ++queries;
            const bool seen = waitForRequests(device, queries);
            if (result != kind.result || state != kind.state || !nameBufferHolds(name, kind.name) ||
                !seen) {
                ADD_FAILURE() << "round " << round << ", " << kind.what << ": result " << result
                              << ", state " << state << ", name \"" << name << "\", device saw "
                              << device.requestsSeen() << " of " << queries << " requests";
                ++failures;
            }
        }
    }
    const std::size_t descriptorsAtEnd = openDescriptors();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    iCleanupSockets();

    EXPECT_EQ(failures, 0);
    EXPECT_EQ(queries, std::size_t(rounds) * kinds.size());
    EXPECT_EQ(descriptorsAtEnd, descriptorsAtStart);
    // Only the oversized rounds print, one receive-failure line each.
    EXPECT_EQ(countLines(printed, "OrvaneMonitor::dwGetOrvaneState: Error receiving message: "),
              std::size_t(rounds));
    EXPECT_EQ(countLines(printed, "\n"), std::size_t(rounds));
}
