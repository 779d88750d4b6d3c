// The simulated device itself: what it answers, what it refuses, and its console commands.
#include "SimulatedDevice.h"
#include "ByteText.h"
#include "DeviceConsole.h"
#include "DeviceOptions.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Sends a datagram to port 9758 of address and returns the answer, or "<none>" after 100 ms.
std::string exchange(const std::string &address, const std::string &request) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    timeval timeout{0, 100000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in device{};
    device.sin_family = AF_INET;
    device.sin_port = htons(9758);
    inet_pton(AF_INET, address.c_str(), &device.sin_addr);
    sendto(fd, request.data(), request.size(), 0, reinterpret_cast<sockaddr *>(&device),
           sizeof device);
    char answer[1024];
    const ssize_t length = recv(fd, answer, sizeof answer, 0);
    close(fd);
    return length < 0 ? "<none>" : std::string(answer, std::size_t(length));
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
}

TEST(SimulatedDeviceTest, IgnoresDatagramsThatAreNoStateRequest) {
    simdevice::SimulatedDevice device;
    ASSERT_TRUE(device.start("127.0.0.41"));
    EXPECT_EQ(exchange("127.0.0.41", "status"), "<none>");
    EXPECT_EQ(device.lastRequest(), "status");
    EXPECT_EQ(device.requestsSeen(), 0u);
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

TEST(ByteTextTest, EscapesStandForBytes) {
    std::string bytes;
    std::string error;
    ASSERT_TRUE(simdevice::decodeByteText("a\\x00#\\x7e\\\\\\n\\0\\r\\t", &bytes, &error));
    EXPECT_EQ(bytes, std::string("a\0#~\\\n\0\r\t", 9));
    EXPECT_EQ(simdevice::encodeByteText(bytes), "a\\x00#~\\\\\\x0a\\x00\\x0d\\x09");
    for (const char *broken : {"\\", "\\x4", "\\xg0", "\\q"}) {
        EXPECT_FALSE(simdevice::decodeByteText(broken, &bytes, &error)) << broken;
    }
}

TEST(DeviceOptionsTest, DefaultsAndEveryOption) {
    simdevice::DeviceOptions options;
    std::string error;
    ASSERT_TRUE(simdevice::parseDeviceOptions({}, &options, &error));
    EXPECT_EQ(options.address, "127.0.0.1");
    EXPECT_EQ(options.port, 9758);
    EXPECT_EQ(options.name, "captureORVANE");
    EXPECT_EQ(options.user, "0.0.0.0");
    ASSERT_TRUE(simdevice::parseDeviceOptions({"--address", "127.0.0.5", "--port=9000", "--name",
                                               "", "--user", "10.0.0.1", "--allow-non-loopback"},
                                              &options, &error))
        << error;
    EXPECT_EQ(options.address, "127.0.0.5");
    EXPECT_EQ(options.port, 9000);
    EXPECT_EQ(options.name, "");
    EXPECT_EQ(options.user, "10.0.0.1");
    EXPECT_TRUE(options.allowNonLoopback);
}

TEST(DeviceOptionsTest, BadArgumentsAreRefused) {
    const std::vector<std::vector<std::string>> bad = {
        {"--address"},     {"--address", "localhost"},
        {"--port", "0"},   {"--port", "65536"},
        {"--port", "12a"}, {"--verbose"},
        {"extra"},         {"--help=1"}};
    for (const auto &arguments : bad) {
        simdevice::DeviceOptions options;
        std::string error;
        EXPECT_FALSE(simdevice::parseDeviceOptions(arguments, &options, &error)) << arguments[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(DeviceConsoleTest, CommandsChangeTheAnswer) {
    simdevice::SimulatedDevice device;
    simdevice::DeviceConsole console(device, "captureORVANE", "0.0.0.0");
    EXPECT_EQ(device.answer(), "captureORVANE#0.0.0.0");

    EXPECT_EQ(console.execute("held 192.0.2.7").rfind("ok: ", 0), 0u);
    EXPECT_EQ(device.answer(), "captureORVANE#192.0.2.7");
    console.execute("name");
    EXPECT_EQ(device.answer(), "#192.0.2.7");
    console.execute("name Relay Host\r");
    EXPECT_EQ(device.answer(), "Relay Host#192.0.2.7");
    console.execute("free");
    EXPECT_EQ(device.answer(), "Relay Host#0.0.0.0");
    console.execute("nohash");
    EXPECT_EQ(device.answer(), "Relay Host");
    console.execute("oversized");
    EXPECT_GT(device.answer().size(), 128u);
    EXPECT_EQ(device.answer().rfind("Relay Host#0.0.0.0", 0), 0u);
    console.execute("raw x\\x00#0.0.0.0");
    EXPECT_EQ(device.answer(), std::string("x\0#0.0.0.0", 10));
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
         {"held", "raw \\x0", "jump", "", "delay", "delay -1", "delay 60001", "delay 1s"}) {
        EXPECT_EQ(console.execute(line).rfind("error: ", 0), 0u) << line;
    }
    EXPECT_EQ(device.answer(), "captureORVANE#0.0.0.0");
    EXPECT_EQ(console.execute("status"),
              "ok: answering \"captureORVANE#0.0.0.0\" (21 bytes), 0 requests seen");
}

} // namespace
