#include "QueryTestFixture.h"

#include "DebugLog.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

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

orvane::PlatformLayer QueryTest::basePlatform() const {
    return orvane::platform();
}

std::string QueryTest::logFilePath() {
    return redirectedLogPath();
}

std::string QueryTest::readLog() {
    // Text mode: on Windows the log is written in text mode too, with CR LF line ends.
    std::ifstream file(redirectedLogPath());
    std::ostringstream text;
    text << file.rdbuf();
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
    for (std::size_t i = 0; i < size; ++i) {
        if (buffer[i] != 0) {
            return false;
        }
    }
    return true;
}
