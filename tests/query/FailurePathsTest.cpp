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
// What a receive gets when no answer came: the time-out, and the port-unreachable report that a
// send to a closed port draws on a socket where switching it off did not take.
constexpr int NO_ANSWER_ERRORS[] = {WSAETIMEDOUT, WSAECONNRESET};
#else
constexpr int NO_ROUTE_ERRORS[] = {ENETUNREACH, EHOSTUNREACH, ENETDOWN};
constexpr int REFUSED_DESTINATION_ERRORS[] = {EACCES, EINVAL};
constexpr int NO_ANSWER_ERRORS[] = {EAGAIN}; // EWOULDBLOCK is the same code
#endif

constexpr int SIMULATED_ERROR = 4242;
constexpr char SIMULATED_ERROR_TEXT[] = "simulated socket failure";

std::string simulatedErrorMessage(int code) {
    return code == SIMULATED_ERROR ? SIMULATED_ERROR_TEXT : "other error";
}

// A log line: the time stamp, then the text.
bool isLogLine(const std::string &line, const std::string &text) {
    static const std::regex stamp("[0-9]{5,}\\.[0-9]{3} s: ");
    return line.ends_with(text) &&
           std::regex_match(line.substr(0, line.size() - text.size()), stamp);
}

class FailurePathsTest : public QueryTest {
protected:
    // The fake's error code is SIMULATED_ERROR unless the script names one.
    void script(fakesocket::Script steps) {
        steps.errorCode = steps.errorCode != 0 ? steps.errorCode : SIMULATED_ERROR;
        orvane::PlatformLayer layer = fakesocket::install(steps);
        layer.errorMessage = simulatedErrorMessage;
        usePlatform(layer);
    }
};

// What a failure prints and logs after the routine's name.
std::string sendLine(int code) {
    return "Error broadcasting to the clients " + simulatedErrorMessage(code) + " \n";
}
std::string receiveLine(int code) {
    return "Error receiving message: " + simulatedErrorMessage(code) + "\n";
}

// Each failure: its result, what it prints and logs, the socket closed if one was made, nothing
// sent once the socket could not be made ready, and the name untouched. A send that finds no
// network to the device is no failure: the device is not reachable, and the line is printed and
// logged all the same; any other failure of the send stays the query's failure.
TEST_F(FailurePathsTest, EveryFailureIsReportedAndChangesNothing) {
    const std::string sent = sendLine(SIMULATED_ERROR);
    const std::string noTimeout = "ERROR setting receive timeout, socket will be closed\n";
    // The kernel reports the real length of a datagram the buffer could not hold.
    const fakesocket::Script cut = {.datagram = std::string(128, '#'), .realLength = 129};
    const std::string tooLong = receiveLine(orvane::platform().messageTooLongError);
    struct Failure {
        const char *what;
        fakesocket::Script steps;
        std::uint32_t result;
        std::string printed, logged;
        OrvaneState state = STATE_NOT_WRITTEN;
    };
    std::vector<Failure> failures = {
        {"create", {.failCreate = true}, ERR_QUERY_SOCKET, "", "ERROR in creating socket\n"},
        {"time-out", {.failSetOption = true}, ERR_QUERY_SOCKET, "", noTimeout},
        {"send", {.failSend = true}, ERR_QUERY_TRANSFER, sent, sent},
        {"receive", {.failReceive = true}, ERR_QUERY_TRANSFER, receiveLine(SIMULATED_ERROR), ""},
        {"truncated", cut, ERR_QUERY_TRANSFER, tooLong, ""},
        {"128 bytes, no NUL or hash", {.datagram = std::string(128, 'n')}, ERR_QUERY_REPLY, "", ""},
    };
    for (const int code : NO_ROUTE_ERRORS) {
        const std::string line = sendLine(code);
        const fakesocket::Script send = {.failSend = true, .errorCode = code};
        failures.push_back({"no route", send, 0, line, line, ORVANE_NOT_REACHABLE});
    }
    for (const int code : NO_ANSWER_ERRORS) {
        const fakesocket::Script receive = {.failReceive = true, .errorCode = code};
        failures.push_back({"no answer", receive, 0, "", "", ORVANE_NOT_REACHABLE});
    }
    for (const int code : REFUSED_DESTINATION_ERRORS) {
        const std::string line = sendLine(code);
        failures.push_back(
            {"refused", {.failSend = true, .errorCode = code}, ERR_QUERY_TRANSFER, line, line});
    }
    for (const Failure &failure : failures) {
        SCOPED_TRACE(std::string(failure.what) + " " + std::to_string(failure.steps.errorCode));
        std::remove(logFilePath().c_str());
        script(failure.steps);
        EXPECT_EQ(query("127.0.0.20"), failure.result);
        EXPECT_EQ(state, failure.state);
        EXPECT_TRUE(isAllZero(name, sizeof name));
        EXPECT_EQ(fakesocket::record().closed, failure.steps.failCreate
                                                   ? std::vector<orvane::SocketHandle>{}
                                                   : std::vector{fakesocket::FAKE_SOCKET});
        EXPECT_EQ(fakesocket::record().sent,
                  failure.result == ERR_QUERY_SOCKET ? "" : std::string("state\0", 6));
        const std::string routine = "OrvaneMonitor::dwGetOrvaneState: ";
        EXPECT_EQ(stdoutText, failure.printed.empty() ? "" : routine + failure.printed);
        EXPECT_TRUE(failure.logged.empty() ? readLog().empty()
                                           : isLogLine(readLog(), routine + failure.logged))
            << readLog();

        testing::internal::CaptureStdout();
        const OrvaneAnswer answer = askOrvane("127.0.0.20", 1000);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(answer.dwResult, failure.result);
        EXPECT_EQ(answer.bNoRoute, failure.steps.failSend && failure.state == ORVANE_NOT_REACHABLE);
    }
}

TEST_F(FailurePathsTest, UnwritableLogLeavesTheResultUnchanged) {
    script({.failCreate = true});
    orvane::PlatformLayer layer = orvane::platform();
    // A directory cannot be opened as a file on any platform.
    layer.openLogFile = [] { return std::fopen(::testing::TempDir().c_str(), "at"); };
    usePlatform(layer);
    EXPECT_EQ(query("127.0.0.20"), ERR_QUERY_SOCKET);
    EXPECT_EQ(state, STATE_NOT_WRITTEN);
    EXPECT_TRUE(isAllZero(name, sizeof name));
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
