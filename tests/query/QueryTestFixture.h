// The base of the network-layer tests: every test writes its log into a file of its own and
// starts with a fresh time base; helpers read the log and standard output.
#pragma once

#include "OrvaneQuery.h"
#include "Platform.h"
#include "testing/ScopedPlatform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// A value no query writes, to show whether the state was written.
constexpr OrvaneState STATE_NOT_WRITTEN = OrvaneState(0xA5);

class QueryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the platform table for the rest of the test; the log stays redirected.
    void usePlatform(const orvane::PlatformLayer &layer);

    static std::string logFilePath();
    static std::string readLog();

    // Runs the query, as the refresh does, with a freshly zeroed name buffer, and with a state of
    // STATE_NOT_WRITTEN that shows whether it was written; keeps its standard output.
    std::uint32_t query(const char *address, std::uint32_t timeoutMs = 1000);

    char name[ORVANE_NAME_BUFFER_SIZE] = {};
    OrvaneState state = ORVANE_NOT_REACHABLE;
    std::string stdoutText;

private:
    std::unique_ptr<orvane::testing::ScopedPlatform> guard;
};

bool isAllZero(const char *buffer, std::size_t size);
