// The query against a simulated device on loopback: the state table, odd replies and the time-out.
#include "QueryTestFixture.h"
#include "TestDevice.h"

#include "DebugLog.h"
#include "OrvaneIdentity.h"

#include <iterator>
#include <vector>

namespace {

class DeviceQueryTest : public QueryTest {
protected:
    // Starts the device on the test's own loopback address.
    void startDevice(unsigned addressIndex) {
        const std::string address = TestDevice::loopbackAddress(addressIndex);
        std::string error;
        ASSERT_TRUE(device.start(address, &error)) << error;
        deviceAddress = address;
    }

    TestDevice device{[](const std::string &what) { ADD_FAILURE() << what; }};
    std::string deviceAddress;
};

TEST_F(DeviceQueryTest, StateAndNameOfEveryKindOfReply) {
    startDevice(0);
    std::vector<std::string> localAddresses;
    ASSERT_EQ(orvane::platform().getLocalAddresses(&localAddresses), 0u);
    ASSERT_FALSE(localAddresses.empty());
    const std::string local = localAddresses.front();
    const struct {
        std::string name;
        std::string user;
        OrvaneState state;
    } replies[] = {
        {"captureORVANE", "0.0.0.0", ORVANE_AVAILABLE},
        {"", "0.0.0.0", ORVANE_AVAILABLE},
        {"sourceORVANE", "0.0.0.0 ", ORVANE_AVAILABLE}, // text after the free address
        {"captureORVANE", local, ORVANE_USED_BY_THIS_PC},
        // A line end belongs to the user address, so it no longer names this PC.
        {"captureORVANE", local + "\n", ORVANE_USED_BY_OTHER_PC},
        {"captureORVANE", "192.0.2.200", ORVANE_USED_BY_OTHER_PC},
        {"Relay", "", ORVANE_USED_BY_OTHER_PC},
        {"a", "0.0.0.0#b", ORVANE_AVAILABLE}, // only the first "#" separates name and user
        {"captureORVANE", "192.0.2.200\r\n", ORVANE_USED_BY_OTHER_PC}, // handed over untrimmed
        // All 128 bytes of the buffer, without a NUL; the user address ends at the last byte.
        {std::string(128 - 1 - local.size(), 'n'), local, ORVANE_USED_BY_THIS_PC},
        {"n", std::string(128 - 2, '7'), ORVANE_USED_BY_OTHER_PC},
        {std::string(128 - 1, 'n'), "", ORVANE_USED_BY_OTHER_PC}, // "#" the last byte: no user
    };
    for (const auto &reply : replies) {
        SCOPED_TRACE(reply.name + "#" + reply.user);
        device.answerWith(reply.name, reply.user);
        ASSERT_EQ(query(deviceAddress.c_str()), 0u);
        EXPECT_EQ(state, reply.state);
        EXPECT_EQ(std::string(name, sizeof name),
                  reply.name + std::string(sizeof name - reply.name.size(), '\0'));
        EXPECT_EQ(stdoutText, "");

        char user[ORVANE_NAME_BUFFER_SIZE] = {};
        ASSERT_EQ(dwGetOrvaneStateAndUser(deviceAddress.c_str(), 1000, name, &state, user), 0u);
        EXPECT_EQ(std::string(user, sizeof user),
                  reply.user + std::string(sizeof user - reply.user.size(), '\0'));
    }
    EXPECT_EQ(device.lastRequest(), std::string("state\0", 6));
    EXPECT_EQ(device.requestsSeen(), 2 * std::size(replies));
    EXPECT_EQ(readLog(), "");
}

TEST_F(DeviceQueryTest, SilentDeviceTimesOutAsNotReachable) {
    startDevice(1);
    device.beSilent();
    ASSERT_EQ(query(deviceAddress.c_str(), 50), 0u);
    EXPECT_EQ(state, ORVANE_NOT_REACHABLE);
    EXPECT_TRUE(isAllZero(name, sizeof name));
    EXPECT_EQ(device.requestsSeen(), 1u);
    EXPECT_EQ(stdoutText, "");
    EXPECT_EQ(readLog(), "");
}

// Another host (or another program on the device) sends to the waiting port first: what it sends
// is dropped, the device's own reply that follows is taken, and without one the query ends as a
// silence at its time-out.
TEST_F(DeviceQueryTest, DatagramsFromOtherSendersAreDropped) {
    const struct {
        unsigned deviceIndex;
        unsigned foreignIndex; // the device's own address with any port, or another with 9758
        unsigned foreignPort;
    } senders[] = {{3, 3, 0}, {4, 5, orvane::kQueryPort}};
    for (const auto &sender : senders) {
        TestDevice other{[](const std::string &what) { ADD_FAILURE() << what; }};
        const std::string address = TestDevice::loopbackAddress(sender.deviceIndex);
        std::string error;
        ASSERT_TRUE(other.start(address, &error)) << error;
        other.sendForeignFirst(TestDevice::loopbackAddress(sender.foreignIndex),
                               sender.foreignPort);
        other.answerWith("captureORVANE", "192.0.2.200");
        ASSERT_EQ(query(address.c_str()), 0u) << address;
        EXPECT_EQ(state, ORVANE_USED_BY_OTHER_PC) << address;
        EXPECT_STREQ(name, "captureORVANE");
        other.beSilent();
        ASSERT_EQ(query(address.c_str(), 200), 0u) << address;
        EXPECT_EQ(state, ORVANE_NOT_REACHABLE) << address;
        EXPECT_TRUE(isAllZero(name, sizeof name));
        EXPECT_EQ(other.requestsSeen(), 2u);
    }
    EXPECT_EQ(stdoutText, "");
    EXPECT_EQ(readLog(), "");
}

TEST_F(DeviceQueryTest, RepliesWithoutAHashInTheirTextOrLongerThan128BytesFail) {
    startDevice(2);
    const std::string tooLong = pszGetErrorText(orvane::platform().messageTooLongError);
    const struct {
        std::string reply;
        std::uint32_t result;
        std::string printed;
    } replies[] = {
        {"captureORVANE", ERR_QUERY_REPLY, ""},
        {"", ERR_QUERY_REPLY, ""},
        {std::string("name\0#0.0.0.0", 13), ERR_QUERY_REPLY, ""},
        {"captureORVANE#0.0.0.0" + std::string(130, ' '), ERR_QUERY_TRANSFER,
         "OrvaneMonitor::dwGetOrvaneState: Error receiving message: " + tooLong + "\n"},
    };
    for (const auto &reply : replies) {
        device.answerRaw(reply.reply);
        EXPECT_EQ(query(deviceAddress.c_str()), reply.result) << reply.reply.size() << " bytes";
        EXPECT_EQ(state, STATE_NOT_WRITTEN);
        EXPECT_TRUE(isAllZero(name, sizeof name));
        EXPECT_EQ(stdoutText, reply.printed);
    }
    EXPECT_EQ(device.requestsSeen(), std::size(replies));
    EXPECT_EQ(readLog(), "");
}

} // namespace
