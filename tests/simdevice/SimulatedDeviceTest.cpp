// The simulated device itself: what it answers, what it refuses, and its console commands.
#include "SimulatedDevice.h"
#include "DeviceAddress.h"
#include "DeviceConsole.h"
#include "DeviceOptions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <tuple>

namespace {

// Sends a datagram to port 9758 of address, from another port of it, and returns the answer, or
// "<none>" after 100 ms.
std::string exchange(const std::string &address, const std::string &request) {
    simdevice::BoundSocket socket;
    simdevice::Peer device = {dwDottedQuadToIPv4(address.c_str()), 9758};
    std::string answer;
    if (!socket.open(address, 0, false, 100, &answer)) {
        return "<" + answer + ">";
    }
    socket.send(request, device);
    const auto received = socket.receive(&answer, &device);
    return received == simdevice::BoundSocket::Received::Datagram ? answer : "<none>";
}

const std::string STATE_REQUEST("state\0", 6);

TEST(SimulatedDeviceTest, AnswersStateRequestsWithWhatWasSet) {
    simdevice::SimulatedDevice device;
    std::string error;
    ASSERT_TRUE(device.start("127.0.0.40", 9758, &error)) << error;
    EXPECT_EQ(exchange("127.0.0.40", STATE_REQUEST), "captureORVANE#0.0.0.0");
    device.answerWith("sourceORVANE", "192.0.2.9");
    EXPECT_EQ(exchange("127.0.0.40", STATE_REQUEST), "sourceORVANE#192.0.2.9");
    device.answerRaw(std::string("a\0#b", 4) + std::string(300, 'x'));
    EXPECT_EQ(exchange("127.0.0.40", STATE_REQUEST),
              std::string("a\0#b", 4) + std::string(300, 'x'));
    device.beSilent();
    EXPECT_EQ(exchange("127.0.0.40", STATE_REQUEST), "<none>");
    EXPECT_EQ(device.requestsSeen(), 4u);
    // Datagrams that are no state request are taken, but not answered or counted.
    device.answerWith("captureORVANE", "0.0.0.0");
    EXPECT_EQ(exchange("127.0.0.40", "status"), "<none>");
    EXPECT_EQ(device.lastRequest(), "status");
    EXPECT_EQ(device.requestsSeen(), 4u);

    // A stop does not wait for a delayed answer.
    device.answerRaw("late");
    device.answerAfter(60000);
    EXPECT_EQ(exchange("127.0.0.40", STATE_REQUEST), "<none>");
    const auto stopping = std::chrono::steady_clock::now();
    device.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::milliseconds(500));
}

TEST(SimulatedDeviceTest, RefusesNonLoopbackAndBadAddressesAndABusyPort) {
    simdevice::SimulatedDevice device;
    std::string error;
    EXPECT_FALSE(device.start("192.0.2.1", 9758, &error));
    EXPECT_NE(error.find("non-loopback"), std::string::npos) << error;
    EXPECT_FALSE(device.start("127.0.0.256", 9758, &error));
    EXPECT_FALSE(device.isRunning());

    ASSERT_TRUE(device.start("127.0.0.42", 9758, &error)) << error;
    simdevice::SimulatedDevice second;
    EXPECT_FALSE(second.start("127.0.0.42", 9758, &error));
    device.stop();
    EXPECT_TRUE(second.start("127.0.0.42", 9758, &error)) << error;
}

TEST(DeviceOptionsTest, DefaultsAndEveryOption) {
    const auto parsed = [](const std::vector<std::string> &arguments) {
        simdevice::DeviceOptions options;
        std::string error;
        EXPECT_TRUE(simdevice::parseDeviceOptions(arguments, &options, &error)) << error;
        return std::tuple(options.address, options.port, options.name, options.user,
                          options.allowNonLoopback);
    };
    EXPECT_EQ(parsed({}), std::tuple("127.0.0.1", 9758, "captureORVANE", "0.0.0.0", false));
    EXPECT_EQ(parsed({"--address", "127.0.0.5", "--port=9000", "--name", "", "--user", "10.0.0.1",
                      "--allow-non-loopback"}),
              std::tuple("127.0.0.5", 9000, "", "10.0.0.1", true));
}

TEST(DeviceConsoleTest, CommandsChangeTheAnswer) {
    simdevice::SimulatedDevice device;
    simdevice::DeviceConsole console(device, "captureORVANE", "0.0.0.0");
    EXPECT_EQ(device.answer(), "captureORVANE#0.0.0.0");
    const std::pair<const char *, std::string> commands[] = {
        {"held 192.0.2.7", "captureORVANE#192.0.2.7"},
        {"name", "#192.0.2.7"},
        {"name Relay Host\r", "Relay Host#192.0.2.7"},
        {"free", "Relay Host#0.0.0.0"},
        {"nohash", "Relay Host"},
        {"oversized", "Relay Host#0.0.0.0" + std::string(200 - 18, ' ')},
        {"raw x\\x00#0.0.0.0", std::string("x\0#0.0.0.0", 10)},
    };
    for (const auto &[command, answer] : commands) {
        EXPECT_EQ(console.execute(command).rfind("ok: ", 0), 0u) << command;
        EXPECT_EQ(device.answer(), answer) << command;
    }
    EXPECT_EQ(console.execute("silent"), "ok: silent, requests get no answer");
    EXPECT_TRUE(device.isSilent());
    console.execute("free");
    EXPECT_FALSE(device.isSilent());
    EXPECT_EQ(console.execute("delay 300"),
              "ok: answering \"Relay Host#0.0.0.0\" (18 bytes) after 300 ms");
    EXPECT_EQ(device.answerDelayMs(), 300u);
}

TEST(DeviceConsoleTest, MistakesAreReportedAndChangeNothing) {
    simdevice::SimulatedDevice device;
    simdevice::DeviceConsole console(device, "captureORVANE", "0.0.0.0");
    for (const char *line :
         {"held", "raw \\x0", "jump", "", "delay", "delay -1", "delay 60001", "delay 1s", "lose",
          "lose 1001", "foreign 127.0.0.43", "foreign 192.0.2.1 9758"}) {
        EXPECT_EQ(console.execute(line).rfind("error: ", 0), 0u) << line;
    }
    EXPECT_EQ(device.answer(), "captureORVANE#0.0.0.0");
    EXPECT_EQ(console.execute("status"),
              "ok: answering \"captureORVANE#0.0.0.0\" (21 bytes), 0 requests seen");
}

} // namespace
