// The base of the network-layer tests: every test writes its log into a file of its own and
// starts with a fresh time base and the sockets started; helpers read the log and standard output.
#pragma once

#include "OrvaneQuery.h"
#include "Platform.h"
#include "testing/ScopedPlatform.h"

#include <gtest/gtest.h>

#include <ios>
#include <memory>
#include <string>

// The text of a file, read in text mode unless the mode says otherwise; empty for a missing file.
// On Windows the log is written in text mode too, with CR LF line ends.
std::string fileText(const std::string &path, std::ios::openmode mode = std::ios::in);

// A value no query writes, to show whether the state was written.
constexpr OrvaneState STATE_NOT_WRITTEN = OrvaneState(0xA5);

class QueryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the platform table for the rest of the test; the log stays redirected.
    static void usePlatform(const orvane::PlatformLayer &layer) { orvane::installPlatform(layer); }

    static std::string logFilePath() { return logPath; }
    static std::string readLog() { return fileText(logFilePath()); }

    // Runs the query, as the refresh does, with a freshly zeroed name buffer, and with a state of
    // STATE_NOT_WRITTEN that shows whether it was written; keeps its standard output.
    std::uint32_t query(const char *address, std::uint32_t timeoutMs = 1000);

    char name[ORVANE_NAME_BUFFER_SIZE] = {};
    OrvaneState state = ORVANE_NOT_REACHABLE;
    std::string stdoutText;

private:
    static inline std::string logPath; // a file of the running test's own
    std::unique_ptr<orvane::testing::ScopedPlatform> guard;
};

bool isAllZero(const char *buffer, std::size_t size);
