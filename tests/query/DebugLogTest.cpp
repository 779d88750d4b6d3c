// The diagnostic log: time stamps, the line buffer's limit and the error texts.
#include "QueryTestFixture.h"

#include "DebugLog.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

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
        orvane::PlatformLayer layer = basePlatform();
        layer.tickCount = [] { return tick; };
        usePlatform(layer);
    }

    static std::uint32_t tick;
};

std::uint32_t DebugLogTest::tick = 0;

TEST_F(DebugLogTest, StampsCountFromTheFirstLine) {
    tick = 5000;
    vWriteDebugLog("first %d\n", 1);
    tick = 5000 + 1234567;
    vWriteDebugLog("second\n");
    tick = 5000 + 100000000;
    vWriteDebugLog("third\n");
    EXPECT_EQ(readLog(), "00000.000 s: first 1\n"
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
    const std::string log = readLog();
    ASSERT_EQ(log.size(), DEBUG_LOG_LINE_SIZE - 1);
    EXPECT_EQ(log.substr(0, 13), "00000.000 s: ");
    EXPECT_EQ(log.substr(13), std::string(DEBUG_LOG_LINE_SIZE - 1 - 13, 'm'));
}

TEST_F(DebugLogTest, PercentSignsInArgumentsAreNotReinterpreted) {
    vWriteDebugLog("%s\n", "100% %s %d");
    EXPECT_EQ(readLog(), "00000.000 s: 100% %s %d\n");
}

TEST_F(DebugLogTest, LinesAreAppended) {
    {
        std::ofstream earlier(logFilePath(), std::ios::binary);
        earlier << "earlier line\n";
    }
    vWriteDebugLog("new\n");
    EXPECT_EQ(readLog(), "earlier line\n00000.000 s: new\n");
}

TEST_F(DebugLogTest, ErrorTextIsCutAfter99Characters) {
    orvane::PlatformLayer layer = basePlatform();
    layer.errorMessage = [](int code) { return std::string(150, char('a' + code)); };
    usePlatform(layer);
    const std::string text = pszGetErrorText(1);
    EXPECT_EQ(text, std::string(ERROR_TEXT_SIZE - 1, 'b'));
    EXPECT_STREQ(pszGetErrorText(2), std::string(99, 'c').c_str());
}

TEST_F(DebugLogTest, ErrorTextIsThePlatformsMessage) {
    const std::string text = pszGetErrorText(orvane::platform().messageTooLongError);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text, orvane::nativePlatform()
                        .errorMessage(orvane::platform().messageTooLongError)
                        .substr(0, ERROR_TEXT_SIZE - 1));
}

TEST(ErrorTextTest, CodeWithoutAMessageGetsATextNamingIt) {
    // No system message exists for this code on either platform.
    EXPECT_EQ(orvane::nativePlatform().errorMessage(987654321), "Unknown error 987654321");
}

#ifndef _WIN32
// The log lives in the per-user state directory, created when missing.
class LogLocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = ::testing::TempDir() + "orvane_state_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::system(("rm -rf '" + root + "'").c_str());
        saveVariable("XDG_STATE_HOME", savedStateHome);
        saveVariable("HOME", savedHome);
    }
    void TearDown() override {
        restoreVariable("XDG_STATE_HOME", savedStateHome);
        restoreVariable("HOME", savedHome);
        std::system(("rm -rf '" + root + "'").c_str());
    }

    static void saveVariable(const char *variable, std::pair<bool, std::string> &saved) {
        const char *value = std::getenv(variable);
        saved = {value != nullptr, value ? value : ""};
    }
    static void restoreVariable(const char *variable, const std::pair<bool, std::string> &saved) {
        if (saved.first) {
            setenv(variable, saved.second.c_str(), 1);
        } else {
            unsetenv(variable);
        }
    }
    static bool isDirectory(const std::string &path) {
        return std::system(("test -d '" + path + "'").c_str()) == 0;
    }
    // Appends a line where the platform puts the log, and reads back the file that should hold it.
    static std::string appendAndRead(const std::string &expectedPath) {
        std::FILE *file = orvane::nativePlatform().openLogFile();
        if (file == nullptr) {
            return "(not opened)";
        }
        std::fputs("line\n", file);
        std::fclose(file);
        std::ifstream written(expectedPath);
        std::ostringstream text;
        text << written.rdbuf();
        return text.str();
    }

    std::string root;
    std::pair<bool, std::string> savedStateHome;
    std::pair<bool, std::string> savedHome;
};

TEST_F(LogLocationTest, StateHomeFromTheEnvironment) {
    setenv("XDG_STATE_HOME", (root + "/state").c_str(), 1);
    EXPECT_EQ(appendAndRead(root + "/state/hvcxdrv_debug.txt"), "line\n");
    EXPECT_TRUE(isDirectory(root + "/state"));
}

TEST_F(LogLocationTest, DefaultBelowHomeWhenStateHomeIsUnsetOrRelative) {
    setenv("HOME", root.c_str(), 1);
    unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(appendAndRead(root + "/.local/state/hvcxdrv_debug.txt"), "line\n");
    EXPECT_TRUE(isDirectory(root + "/.local/state"));

    setenv("XDG_STATE_HOME", "relative/state", 1);
    EXPECT_EQ(appendAndRead(root + "/.local/state/hvcxdrv_debug.txt"), "line\nline\n");
}
#endif

} // namespace
