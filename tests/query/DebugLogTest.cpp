// The diagnostic log: time stamps, the line buffer's limit and the error texts.
#include "QueryTestFixture.h"

#include "DebugLog.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <unistd.h>

namespace {

std::string timeStamp(std::uint32_t elapsedMs) {
    char buffer[32];
    iFormatTimeStamp(elapsedMs, buffer, sizeof buffer);
    return buffer;
}

TEST(TimeStampTest, SecondsInAtLeastFiveDigitsAndMillisecondsInThree) {
    EXPECT_EQ(timeStamp(0), "00000.000 s: ");
    EXPECT_EQ(timeStamp(1234567), "01234.567 s: ");
    EXPECT_EQ(timeStamp(99999999), "99999.999 s: ");
    EXPECT_EQ(timeStamp(100000000), "100000.000 s: ");
    EXPECT_EQ(timeStamp(0xFFFFFFFFu), "4294967.295 s: ");
}

class DebugLogTest : public QueryTest {
protected:
    void SetUp() override {
        QueryTest::SetUp();
        orvane::PlatformLayer layer = orvane::platform();
        layer.tickCount = [] { return tick; };
        usePlatform(layer);
    }

    static inline std::uint32_t tick = 0;
};

// Lines are appended to what the log holds, stamped from the first line of the process on, and
// percent signs in the arguments stay as they are.
TEST_F(DebugLogTest, LinesAreAppendedWithStampsFromTheFirstLine) {
    std::ofstream(logFilePath(), std::ios::binary) << "earlier line\n";
    tick = 5000;
    vWriteDebugLog("first %d %s\n", 1, "100% %s %d");
    tick = 5000 + 1234567;
    vWriteDebugLog("second\n");
    tick = 5000 + 100000000;
    vWriteDebugLog("third\n");
    EXPECT_EQ(readLog(), "earlier line\n"
                         "00000.000 s: first 1 100% %s %d\n"
                         "01234.567 s: second\n"
                         "100000.000 s: third\n");
}

TEST_F(DebugLogTest, OneWrapOfTheTickCounterIsAbsorbed) {
    tick = 0xFFFFFF00u;
    vWriteDebugLog("before\n");
    tick = 0x00000100u;
    vWriteDebugLog("after\n");
    EXPECT_EQ(readLog(), "00000.000 s: before\n00000.512 s: after\n");
}

TEST_F(DebugLogTest, LongLinesAreCutToTheLineBuffer) {
    const std::string message(3000, 'm');
    vWriteDebugLog("%s\n", message.c_str());
    // The stamp and the message, DEBUG_LOG_LINE_SIZE - 1 characters in all.
    EXPECT_EQ(readLog(), "00000.000 s: " + std::string(DEBUG_LOG_LINE_SIZE - 1 - 13, 'm'));
}

TEST_F(DebugLogTest, ErrorTextIsCutAfter99Characters) {
    orvane::PlatformLayer layer = orvane::platform();
    layer.errorMessage = [](int code) { return std::string(150, char('a' + code)); };
    usePlatform(layer);
    EXPECT_EQ(std::string(pszGetErrorText(1)), std::string(ERROR_TEXT_SIZE - 1, 'b'));
    EXPECT_STREQ(pszGetErrorText(2), std::string(99, 'c').c_str());
}

// The platform's message for a code, and for a code without one a text that names it.
TEST_F(DebugLogTest, ErrorTextIsThePlatformsMessage) {
    const std::string text = pszGetErrorText(orvane::platform().messageTooLongError);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text, orvane::nativePlatform()
                        .errorMessage(orvane::platform().messageTooLongError)
                        .substr(0, ERROR_TEXT_SIZE - 1));
    // No system message exists for this code on either platform.
    EXPECT_EQ(orvane::nativePlatform().errorMessage(987654321), "Unknown error 987654321");
}

#ifndef _WIN32
// Restores an environment variable, at the end of the test, to what it was at its start.
class SavedVariable {
public:
    explicit SavedVariable(const char *name) : name(name) {
        if (const char *value = std::getenv(name)) {
            saved = value;
        }
    }
    ~SavedVariable() { saved ? setenv(name, saved->c_str(), 1) : unsetenv(name); }

private:
    const char *name;
    std::optional<std::string> saved;
};

// Appends a line where the platform puts the log, and reads back the file that should hold it.
std::string appendAndRead(const std::filesystem::path &expectedPath) {
    std::FILE *file = orvane::nativePlatform().openLogFile();
    if (file == nullptr) {
        return "(not opened)";
    }
    std::fputs("line\n", file);
    std::fclose(file);
    return fileText(expectedPath.string());
}

// The log lives in the per-user state directory, made when missing: $XDG_STATE_HOME, or below
// the home where that is unset or relative (the XDG rules ignore relative values).
TEST(LogLocationTest, StateHomeFromTheEnvironmentOrBelowHome) {
    const std::filesystem::path root =
        ::testing::TempDir() + "orvane_log_location_" + std::to_string(getpid());
    std::filesystem::remove_all(root);
    const SavedVariable home("HOME");
    const SavedVariable stateHome("XDG_STATE_HOME");
    setenv("HOME", root.c_str(), 1);
    unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(appendAndRead(root / ".local/state/hvcxdrv_debug.txt"), "line\n");
    EXPECT_TRUE(std::filesystem::is_directory(root / ".local/state"));
    setenv("XDG_STATE_HOME", "relative/state", 1);
    EXPECT_EQ(appendAndRead(root / ".local/state/hvcxdrv_debug.txt"), "line\nline\n");

    setenv("XDG_STATE_HOME", (root / "state").c_str(), 1);
    EXPECT_EQ(appendAndRead(root / "state/hvcxdrv_debug.txt"), "line\n");
    EXPECT_TRUE(std::filesystem::is_directory(root / "state"));
    std::filesystem::remove_all(root);
}
#endif

} // namespace
