#include "QueryTestFixture.h"

#include "DebugLog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include <unistd.h> // getpid, also with mingw-w64

namespace {

std::string &redirectedLogPath() {
    static std::string path;
    return path;
}

std::FILE *openRedirectedLog() {
    return std::fopen(redirectedLogPath().c_str(), "at");
}

} // namespace

void QueryTest::SetUp() {
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    redirectedLogPath() = ::testing::TempDir() + "orvane_" + info->test_suite_name() + "_" +
                          info->name() + "_" + std::to_string(getpid()) + ".txt";
    std::remove(redirectedLogPath().c_str());
    orvane::PlatformLayer layer = orvane::platform();
    layer.openLogFile = openRedirectedLog;
    guard = std::make_unique<orvane::testing::ScopedPlatform>(layer);
    orvane::testing::resetDebugLogTimeBase();
}

void QueryTest::TearDown() {
    guard.reset();
    std::remove(redirectedLogPath().c_str());
}

void QueryTest::usePlatform(const orvane::PlatformLayer &layer) {
    orvane::installPlatform(layer);
}

std::string QueryTest::logFilePath() {
    return redirectedLogPath();
}

std::string QueryTest::readLog() {
    // Text mode: on Windows the log is written in text mode too, with CR LF line ends.
    std::ostringstream text;
    text << std::ifstream(redirectedLogPath()).rdbuf();
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
