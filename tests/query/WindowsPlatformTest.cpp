// What only the Windows platform layer does: the log at the root of drive c:, the system's error
// texts, and the port-unreachable report of a closed port. Under wine, drive c: is the prefix's.
#include "FakeSocketLayer.h"
#include "QueryTestFixture.h"

#include "DebugLog.h"

#include <winsock2.h>

#include <windows.h>

#include <regex>

namespace {

// Nothing listens on port 9758 of this address in the tests' range.
constexpr char CLOSED_PORT_ADDRESS[] = "127.0.0.219";
constexpr char WINDOWS_LOG_FILE[] = "c:\\hvcxdrv_debug.txt";

using WindowsPlatformTest = QueryTest;

TEST_F(WindowsPlatformTest, LogLinesAreAppendedToTheFileAtTheRootOfDriveC) {
    const std::size_t before = fileText(WINDOWS_LOG_FILE, std::ios::binary).size();
    orvane::PlatformLayer layer = fakesocket::install({.failCreate = true});
    layer.openLogFile = orvane::nativePlatform().openLogFile;
    usePlatform(layer);

    EXPECT_EQ(query(CLOSED_PORT_ADDRESS), ERR_QUERY_SOCKET);
    // Appended in text mode: the line feed of the format becomes CR LF on the disk.
    const std::string appended = fileText(WINDOWS_LOG_FILE, std::ios::binary).substr(before);
    EXPECT_TRUE(std::regex_match(
        appended, std::regex("[0-9]{5}\\.[0-9]{3} s: OrvaneMonitor::dwGetOrvaneState: ERROR in "
                             "creating socket\r\n")))
        << '"' << appended << '"';
}

TEST_F(WindowsPlatformTest, ClosedPortIsNotReachableLikeASilentDevice) {
    ASSERT_EQ(query(CLOSED_PORT_ADDRESS, 200), 0u);
    EXPECT_EQ(state, ORVANE_NOT_REACHABLE);
    EXPECT_TRUE(isAllZero(name, sizeof name));
    EXPECT_EQ(stdoutText, "");
}

TEST_F(WindowsPlatformTest, ErrorTextIsTheSystemMessageWithItsLineEnd) {
    const std::string text = orvane::nativePlatform().errorMessage(ERROR_ACCESS_DENIED);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_STREQ(pszGetErrorText(ERROR_ACCESS_DENIED), text.substr(0, 99).c_str());
}

} // namespace
