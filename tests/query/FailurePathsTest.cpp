// Every failure of the query, made through the socket seam: result, standard output, log line,
// the socket closed, and state and name untouched.
#include "FakeSocketLayer.h"
#include "QueryTestFixture.h"

#include "DebugLog.h"

#include <regex>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <cerrno>
#endif

namespace {

// What a send gets when this PC has no network to the device, and what it gets for a destination
// the system refuses to send to (255.255.255.255 without the broadcast option; 0.0.0.0 on
// Windows).
#ifdef _WIN32
constexpr int NO_ROUTE_ERRORS[] = {WSAENETUNREACH, WSAEHOSTUNREACH, WSAENETDOWN};
constexpr int REFUSED_DESTINATION_ERRORS[] = {WSAEACCES, WSAEADDRNOTAVAIL};
#else
constexpr int NO_ROUTE_ERRORS[] = {ENETUNREACH, EHOSTUNREACH, ENETDOWN};
constexpr int REFUSED_DESTINATION_ERRORS[] = {EACCES, EINVAL};
#endif

constexpr int SIMULATED_ERROR = 4242;
constexpr char SIMULATED_ERROR_TEXT[] = "simulated socket failure";

std::string simulatedErrorMessage(int code) {
    return code == SIMULATED_ERROR ? SIMULATED_ERROR_TEXT : "other error";
}

// A log line: the time stamp, then the text.
::testing::AssertionResult isLogLine(const std::string &line, const std::string &text) {
    static const std::regex stamp("[0-9]{5,}\\.[0-9]{3} s: ");
    if (line.size() >= text.size() &&
        std::regex_match(line.substr(0, line.size() - text.size()), stamp) &&
        line.compare(line.size() - text.size(), text.size(), text) == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "log holds \"" << line << "\"";
}

class FailurePathsTest : public QueryTest {
protected:
    template <typename Change> void script(Change change) {
        fakesocket::Script steps;
        change(steps);
        steps.errorCode = SIMULATED_ERROR;
        orvane::PlatformLayer layer = fakesocket::install(steps);
        layer.errorMessage = simulatedErrorMessage;
        usePlatform(layer);
    }

    void expectStateAndNameUntouched() {
        EXPECT_EQ(state, STATE_NOT_WRITTEN);
        EXPECT_TRUE(isAllZero(name, sizeof name));
    }

    void expectSocketClosed() {
        ASSERT_EQ(fakesocket::record().closed.size(), 1u);
        EXPECT_EQ(fakesocket::record().closed.front(), fakesocket::FAKE_SOCKET);
    }
};

TEST_F(FailurePathsTest, SocketCreationFailureIsLogged) {
    script([](fakesocket::Script &s) { s.failCreate = true; });
    EXPECT_EQ(query("127.0.0.20"), ERR_QUERY_SOCKET);
    expectStateAndNameUntouched();
    EXPECT_TRUE(fakesocket::record().closed.empty());
    EXPECT_EQ(stdoutText, "");
    EXPECT_TRUE(
        isLogLine(readLog(), "OrvaneMonitor::dwGetOrvaneState: ERROR in creating socket\n"));
}

TEST_F(FailurePathsTest, TimeoutOptionFailureClosesTheSocketAndIsLogged) {
    script([](fakesocket::Script &s) { s.failSetOption = true; });
    EXPECT_EQ(query("127.0.0.20", 1000), ERR_QUERY_SOCKET);
    expectStateAndNameUntouched();
    expectSocketClosed();
    EXPECT_EQ(fakesocket::record().sent, "");
    EXPECT_EQ(stdoutText, "");
    EXPECT_TRUE(isLogLine(readLog(), "OrvaneMonitor::dwGetOrvaneState: ERROR setting receive "
                                     "timeout, socket will be closed\n"));
}

TEST_F(FailurePathsTest, SendFailureGoesToStdoutAndLog) {
    script([](fakesocket::Script &s) { s.failSend = true; });
    EXPECT_EQ(query("127.0.0.20"), ERR_QUERY_TRANSFER);
    expectStateAndNameUntouched();
    expectSocketClosed();
    const std::string line = "OrvaneMonitor::dwGetOrvaneState: Error broadcasting to the clients "
                             "simulated socket failure \n";
    EXPECT_EQ(stdoutText, line);
    EXPECT_TRUE(isLogLine(readLog(), line));
}

TEST_F(FailurePathsTest, SendWithoutANetworkIsNotReachableAndStillPrintedAndLogged) {
    for (const int code : NO_ROUTE_ERRORS) {
        fakesocket::Script steps;
        steps.failSend = true;
        steps.errorCode = code;
        usePlatform(fakesocket::install(steps));
        const std::string line = std::string("OrvaneMonitor::dwGetOrvaneState: Error broadcasting "
                                             "to the clients ") +
                                 pszGetErrorText(code) + " \n";
        EXPECT_EQ(query("127.0.0.20"), 0u) << code;
        EXPECT_EQ(state, ORVANE_NOT_REACHABLE) << code;
        EXPECT_TRUE(isAllZero(name, sizeof name));
        EXPECT_EQ(stdoutText, line);
        const std::string log = readLog();
        EXPECT_TRUE(isLogLine(log.substr(log.rfind('\n', log.size() - 2) + 1), line)) << code;

        testing::internal::CaptureStdout();
        const OrvaneAnswer answer = askOrvane("127.0.0.20", 1000);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(answer.dwResult, 0u);
        EXPECT_TRUE(answer.bNoRoute) << code;
    }
    // Any other failure of the send stays the query's failure.
    for (const int code : REFUSED_DESTINATION_ERRORS) {
        fakesocket::Script steps;
        steps.failSend = true;
        steps.errorCode = code;
        usePlatform(fakesocket::install(steps));
        EXPECT_EQ(query("255.255.255.255"), ERR_QUERY_TRANSFER) << code;
        EXPECT_EQ(state, STATE_NOT_WRITTEN);
    }
}

TEST_F(FailurePathsTest, ReceiveFailureGoesToStdoutOnlyAtLevelOne) {
    script([](fakesocket::Script &s) { s.failReceive = true; });
    EXPECT_EQ(query("127.0.0.20"), ERR_QUERY_TRANSFER);
    expectStateAndNameUntouched();
    expectSocketClosed();
    EXPECT_EQ(stdoutText,
              "OrvaneMonitor::dwGetOrvaneState: Error receiving message: simulated socket "
              "failure\n");
    EXPECT_EQ(readLog(), "");
}

TEST_F(FailurePathsTest, TruncatedDatagramIsAReceiveFailure) {
    // The kernel reports the real length of a datagram the buffer could not hold.
    script([](fakesocket::Script &s) {
        s.datagram = std::string(128, '#');
        s.realLength = 129;
    });
    EXPECT_EQ(query("127.0.0.20"), ERR_QUERY_TRANSFER);
    expectStateAndNameUntouched();
    expectSocketClosed();
    const std::string text = pszGetErrorText(orvane::platform().messageTooLongError);
    EXPECT_EQ(stdoutText,
              "OrvaneMonitor::dwGetOrvaneState: Error receiving message: " + text + "\n");
}

TEST_F(FailurePathsTest, SuccessfulQueryPassesTimeoutAndBufferSizeAndClosesTheSocket) {
    script([](fakesocket::Script &s) { s.datagram = "x#0.0.0.0"; });
    EXPECT_EQ(query("127.0.0.20", 1234), 0u);
    EXPECT_EQ(state, ORVANE_AVAILABLE);
    EXPECT_EQ(fakesocket::record().timeoutMs, 1234u);
    EXPECT_EQ(fakesocket::record().sent, std::string("state\0", 6));
    EXPECT_EQ(fakesocket::record().port, 9758);
    EXPECT_EQ(fakesocket::record().receiveCapacity, 128u);
    expectSocketClosed();
}

TEST_F(FailurePathsTest, ReplyOf128BytesWithoutNulOrHashIsRejected) {
    script([](fakesocket::Script &s) { s.datagram = std::string(128, 'n'); });
    EXPECT_EQ(query("127.0.0.20"), ERR_QUERY_REPLY);
    expectStateAndNameUntouched();
    expectSocketClosed();
}

TEST_F(FailurePathsTest, HashInTheLastOfThe128BytesGivesAnEmptyUserAddress) {
    script([](fakesocket::Script &s) { s.datagram = std::string(127, 'n') + "#"; });
    EXPECT_EQ(query("127.0.0.20"), 0u);
    EXPECT_EQ(state, ORVANE_USED_BY_OTHER_PC);
    EXPECT_EQ(std::string(name, 127), std::string(127, 'n'));
    EXPECT_EQ(name[127], '\0');
}

TEST_F(FailurePathsTest, UnwritableLogLeavesTheResultUnchanged) {
    script([](fakesocket::Script &s) { s.failCreate = true; });
    orvane::PlatformLayer layer = orvane::platform();
    // A directory cannot be opened as a file on any platform.
    layer.openLogFile = [] { return std::fopen(::testing::TempDir().c_str(), "at"); };
    usePlatform(layer);
    EXPECT_EQ(query("127.0.0.20"), ERR_QUERY_SOCKET);
    expectStateAndNameUntouched();
    EXPECT_EQ(stdoutText, "");
}

TEST_F(FailurePathsTest, SocketStartUpFailureGives10093) {
    orvane::PlatformLayer layer = orvane::platform();
    layer.startSockets = [] { return std::uint32_t(1); };
    usePlatform(layer);
    EXPECT_EQ(dwInitSockets(), 10093u);
    usePlatform(orvane::nativePlatform());
    EXPECT_EQ(dwInitSockets(), 0u);
    EXPECT_EQ(iCleanupSockets(), 0);
}

} // namespace
