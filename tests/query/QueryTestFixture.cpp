#include "QueryTestFixture.h"

#include "DebugLog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include <unistd.h> // getpid, also with mingw-w64

void QueryTest::SetUp() {
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    logPath = ::testing::TempDir() + "orvane_" + info->test_suite_name() + "_" + info->name() +
              "_" + std::to_string(getpid()) + ".txt";
    std::remove(logPath.c_str());
    orvane::PlatformLayer layer = orvane::platform();
    layer.openLogFile = [] { return std::fopen(logPath.c_str(), "at"); };
    guard = std::make_unique<orvane::testing::ScopedPlatform>(layer);
    orvane::testing::resetDebugLogTimeBase();
    ASSERT_EQ(dwInitSockets(), 0u);
}

void QueryTest::TearDown() {
    iCleanupSockets();
    guard.reset();
    std::remove(logPath.c_str());
}

std::string fileText(const std::string &path, std::ios::openmode mode) {
    std::ostringstream text;
    text << std::ifstream(path, mode).rdbuf();
    return text.str();
}

std::uint32_t QueryTest::query(const char *address, std::uint32_t timeoutMs) {
    std::memset(name, 0, sizeof name);
    state = STATE_NOT_WRITTEN;
    ::testing::internal::CaptureStdout();
    const std::uint32_t result = dwGetOrvaneState(address, timeoutMs, name, &state);
    std::fflush(stdout);
    stdoutText = ::testing::internal::GetCapturedStdout();
    return result;
}

bool isAllZero(const char *buffer, std::size_t size) {
    return std::all_of(buffer, buffer + size, [](char c) { return c == '\0'; });
}
