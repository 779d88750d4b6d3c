// orvane-simdevice-hub's control requests, and the query against a device that the hub runs.
#include "DeviceHub.h"

#include "OrvaneQuery.h"

#include <gtest/gtest.h>

namespace {

// Addresses of the Windows tests' range that their own devices leave free, one per test, so that
// the tests can run side by side.
constexpr char STEERED_ADDRESS[] = "127.0.0.216";
constexpr char RESTARTED_ADDRESS[] = "127.0.0.217";
constexpr char REFUSING_ADDRESS[] = "127.0.0.218";

TEST(HubProtocolTest, TheArgumentIsEveryByteAfterTheThirdBlank) {
    const std::string bytes("a b#\0\n ", 7);
    const simdevicehub::HubRequest request =
        simdevicehub::parseHubRequest("7 raw 127.0.0.5 " + bytes);
    EXPECT_EQ(request.id, "7");
    EXPECT_EQ(request.command, "raw");
    EXPECT_EQ(request.address, "127.0.0.5");
    EXPECT_EQ(request.argument, bytes);
    EXPECT_EQ(simdevicehub::formatHubRequest(request), "7 raw 127.0.0.5 " + bytes);
    EXPECT_EQ(simdevicehub::parseHubRequest("8 ping").command, "ping");
    EXPECT_EQ(simdevicehub::formatHubRequest({"9", "raw", "127.0.0.5", ""}), "9 raw 127.0.0.5");
}

class DeviceHubTest : public ::testing::Test {
protected:
    // Sends "ID COMMAND ADDRESS [ARGUMENT]" for the test's device and returns the answer.
    std::string request(const std::string &id, const std::string &command,
                        const std::string &argument = "") {
        return hub.execute(simdevicehub::formatHubRequest({id, command, address, argument}));
    }

    std::uint32_t query(std::uint32_t timeoutMs = 1000) {
        std::fill(std::begin(name), std::end(name), '\0');
        return dwGetOrvaneState(address.c_str(), timeoutMs, name, &state);
    }

    simdevicehub::DeviceHub hub;
    std::string address;
    char name[ORVANE_NAME_BUFFER_SIZE] = {};
    OrvaneState state = ORVANE_NOT_REACHABLE;
};

TEST_F(DeviceHubTest, StartedDeviceAnswersAsSteered) {
    address = STEERED_ADDRESS;
    ASSERT_EQ(request("1", "start", "9758"), "1 ok");
    ASSERT_EQ(request("2", "raw", "hub device#0.0.0.0"), "2 ok");
    ASSERT_EQ(query(), 0u);
    EXPECT_EQ(state, ORVANE_AVAILABLE);
    EXPECT_STREQ(name, "hub device");
    EXPECT_EQ(request("3", "seen"), "3 ok 1");
    EXPECT_EQ(request("4", "last"), std::string("4 ok state\0", 11));

    ASSERT_EQ(request("5", "silent"), "5 ok");
    ASSERT_EQ(query(50), 0u);
    EXPECT_EQ(state, ORVANE_NOT_REACHABLE);
    EXPECT_EQ(request("6", "seen"), "6 ok 2");
}

TEST_F(DeviceHubTest, StartingAgainReplacesTheDeviceAndStopEndsIt) {
    address = RESTARTED_ADDRESS;
    ASSERT_EQ(request("1", "start", "9758"), "1 ok");
    ASSERT_EQ(request("2", "silent"), "2 ok");
    ASSERT_EQ(request("3", "start", "9758"), "3 ok");
    EXPECT_EQ(hub.deviceCount(), 1u);
    ASSERT_EQ(query(), 0u);
    EXPECT_EQ(state, ORVANE_AVAILABLE); // a fresh device answers by default

    EXPECT_EQ(request("4", "stop"), "4 ok");
    EXPECT_EQ(hub.deviceCount(), 0u);
    EXPECT_EQ(request("5", "seen"), "5 error: no device on " + address);
}

TEST_F(DeviceHubTest, BadRequestsAreRefusedWithAReason) {
    EXPECT_EQ(hub.execute("1 start 192.0.2.1 9758"),
              "1 error: refusing non-loopback address 192.0.2.1");
    address = REFUSING_ADDRESS;
    EXPECT_EQ(request("2", "start", "70000"), "2 error: not a port: 70000");
    EXPECT_EQ(request("3", "start", "9758"), "3 ok");
    EXPECT_EQ(request("4", "reboot"), "4 error: unknown command: reboot");
    EXPECT_EQ(hub.deviceCount(), 1u);
}

} // namespace
