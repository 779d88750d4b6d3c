// orvane-simdevice-hub's control requests, and the query against a device that the hub runs.
#include "DeviceHub.h"

#include "QueryTestFixture.h"

namespace {

// Addresses of the Windows tests' range that their own devices leave free, one per test, so that
// the tests can run side by side.
constexpr char STEERED_ADDRESS[] = "127.0.0.216";
constexpr char RESTARTED_ADDRESS[] = "127.0.0.217";

class DeviceHubTest : public QueryTest {
protected:
    // Sends "ID ADDRESS LINE" for the test's device and returns the answer.
    std::string request(const std::string &id, const std::string &line) {
        return hub.execute(id + " " + address + " " + line);
    }

    simdevicehub::DeviceHub hub;
    std::string address;
};

TEST_F(DeviceHubTest, StartedDeviceAnswersAsItsConsoleIsTold) {
    address = STEERED_ADDRESS;
    ASSERT_EQ(request("1", "start"), "1 ok: listening on 127.0.0.216:9758");
    ASSERT_EQ(request("2", "raw hub device#0.0.0.0 \\x00"),
              "2 ok: raw, answering \"hub device#0.0.0.0 \\x00\" (20 bytes)");
    ASSERT_EQ(query(address.c_str()), 0u);
    EXPECT_EQ(state, ORVANE_AVAILABLE);
    EXPECT_STREQ(name, "hub device");
    EXPECT_EQ(request("3", "status"),
              "3 ok: answering \"hub device#0.0.0.0 \\x00\" (20 bytes), 1 requests seen");
    EXPECT_EQ(request("4", "last"), "4 ok: last request \"state\\x00\" (6 bytes)");

    ASSERT_EQ(request("5", "silent"), "5 ok: silent, requests get no answer");
    ASSERT_EQ(query(address.c_str(), 50), 0u);
    EXPECT_EQ(state, ORVANE_NOT_REACHABLE);
    EXPECT_EQ(request("6", "status"), "6 ok: silent, 2 requests seen");
}

TEST_F(DeviceHubTest, StartingAgainReplacesTheDeviceStopEndsItAndMistakesAreNamed) {
    EXPECT_EQ(hub.execute("1 192.0.2.1 start"), "1 error: refusing non-loopback address 192.0.2.1");
    EXPECT_EQ(hub.execute("2 127.0.0.256 start"), "2 error: not an IPv4 address: 127.0.0.256");
    address = RESTARTED_ADDRESS;
    ASSERT_EQ(request("3", "start"), "3 ok: listening on 127.0.0.217:9758");
    EXPECT_EQ(request("4", "reboot"), "4 error: unknown command 'reboot' (type help)");
    EXPECT_EQ(request("5", "raw \\q"), "5 error: raw: unknown escape \\q");
    ASSERT_EQ(request("6", "silent"), "6 ok: silent, requests get no answer");
    ASSERT_EQ(request("7", "start"), "7 ok: listening on 127.0.0.217:9758");
    EXPECT_EQ(hub.deviceCount(), 1u);
    ASSERT_EQ(query(address.c_str()), 0u);
    EXPECT_EQ(state, ORVANE_AVAILABLE); // a fresh device answers as orvane-simdevice does
    EXPECT_STREQ(name, "captureORVANE");

    EXPECT_EQ(request("8", "stop"), "8 ok: stopped");
    EXPECT_EQ(hub.deviceCount(), 0u);
    EXPECT_EQ(request("9", "status"), "9 error: no device on " + address);
    EXPECT_EQ(request("10", "stop"), "10 ok: stopped");
}

} // namespace
