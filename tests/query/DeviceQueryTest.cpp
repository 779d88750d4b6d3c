// The query against a simulated device on loopback: the state table, odd replies and the time-out.
#include "QueryTestFixture.h"
#include "TestDevice.h"

#include "DebugLog.h"

#include <algorithm>
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

    std::uint32_t queryDevice(std::uint32_t timeoutMs = 1000) {
        return query(deviceAddress.c_str(), timeoutMs);
    }

    static std::string firstLocalAddress() {
        std::vector<std::string> addresses;
        EXPECT_EQ(orvane::platform().getLocalAddresses(&addresses), 0u);
        return addresses.empty() ? "" : addresses.front();
    }

    TestDevice device{[](const std::string &what) { ADD_FAILURE() << what; }};
    std::string deviceAddress;
};

TEST_F(DeviceQueryTest, SendsTheSixByteRequestAndReadsAFreeDevice) {
    startDevice(0);
    device.answerWith("captureORVANE", "0.0.0.0");
    ASSERT_EQ(queryDevice(), 0u);
    EXPECT_EQ(state, ORVANE_AVAILABLE);
    EXPECT_STREQ(name, "captureORVANE");
    EXPECT_EQ(device.lastRequest(), std::string("state\0", 6));
    EXPECT_EQ(device.requestsSeen(), 1u);
    EXPECT_EQ(stdoutText, "");
    EXPECT_EQ(readLog(), "");
}

TEST_F(DeviceQueryTest, FreeDeviceWithoutNameOrWithTextAfterTheFreeAddress) {
    startDevice(1);
    device.answerWith("", "0.0.0.0");
    ASSERT_EQ(queryDevice(), 0u);
    EXPECT_EQ(state, ORVANE_AVAILABLE);
    EXPECT_TRUE(isAllZero(name, sizeof name));

    device.answerWith("sourceORVANE", "0.0.0.0 ");
    ASSERT_EQ(queryDevice(), 0u);
    EXPECT_EQ(state, ORVANE_AVAILABLE);
    EXPECT_STREQ(name, "sourceORVANE");
}

TEST_F(DeviceQueryTest, DeviceHeldByThisPC) {
    startDevice(2);
    const std::string local = firstLocalAddress();
    ASSERT_FALSE(local.empty());
    device.answerWith("captureORVANE", local);
    ASSERT_EQ(queryDevice(), 0u);
    EXPECT_EQ(state, ORVANE_USED_BY_THIS_PC);
}

TEST_F(DeviceQueryTest, UserAddressIsComparedAsExactText) {
    startDevice(3);
    const std::string local = firstLocalAddress();
    ASSERT_FALSE(local.empty());
    // A line end belongs to the user address, so it no longer names this PC.
    device.answerWith("captureORVANE", local + "\n");
    ASSERT_EQ(queryDevice(), 0u);
    EXPECT_EQ(state, ORVANE_USED_BY_OTHER_PC);
}

TEST_F(DeviceQueryTest, DeviceHeldByAnotherPCOrWithNothingAfterTheHash) {
    startDevice(4);
    device.answerWith("captureORVANE", "192.0.2.200");
    ASSERT_EQ(queryDevice(), 0u);
    EXPECT_EQ(state, ORVANE_USED_BY_OTHER_PC);

    device.answerWith("Relay", "");
    ASSERT_EQ(queryDevice(), 0u);
    EXPECT_EQ(state, ORVANE_USED_BY_OTHER_PC);
    EXPECT_STREQ(name, "Relay");
}

TEST_F(DeviceQueryTest, UserAddressIsHandedOverUntrimmedOnRequest) {
    startDevice(12);
    char user[ORVANE_NAME_BUFFER_SIZE] = {};
    device.answerWith("captureORVANE", "192.0.2.200\r\n");
    ASSERT_EQ(dwGetOrvaneStateAndUser(deviceAddress.c_str(), 1000, name, &state, user), 0u);
    EXPECT_EQ(state, ORVANE_USED_BY_OTHER_PC);
    EXPECT_STREQ(name, "captureORVANE");
    EXPECT_STREQ(user, "192.0.2.200\r\n");

    // A reply that fills all 128 bytes hands over a user address that ends at the last byte.
    const std::string longUser(128 - 2, '7');
    std::fill(std::begin(user), std::end(user), '\0');
    device.answerWith("n", longUser);
    ASSERT_EQ(dwGetOrvaneStateAndUser(deviceAddress.c_str(), 1000, name, &state, user), 0u);
    EXPECT_EQ(std::string(user), longUser);
    EXPECT_EQ(user[sizeof user - 1], '\0');
}

TEST_F(DeviceQueryTest, OnlyTheFirstHashSeparatesNameFromUser) {
    startDevice(5);
    device.answerWith("a", "0.0.0.0#b");
    ASSERT_EQ(queryDevice(), 0u);
    EXPECT_EQ(state, ORVANE_AVAILABLE);
    EXPECT_STREQ(name, "a");
}

TEST_F(DeviceQueryTest, SilentDeviceTimesOutAsNotReachable) {
    startDevice(6);
    device.beSilent();
    ASSERT_EQ(queryDevice(50), 0u);
    EXPECT_EQ(state, ORVANE_NOT_REACHABLE);
    EXPECT_TRUE(isAllZero(name, sizeof name));
    EXPECT_EQ(device.requestsSeen(), 1u);
    EXPECT_EQ(stdoutText, "");
    EXPECT_EQ(readLog(), "");
}

TEST_F(DeviceQueryTest, RepliesWithoutAHashInTheirTextAreRejected) {
    startDevice(7);
    const std::vector<std::string> replies = {"captureORVANE", std::string(),
                                              std::string("name\0#0.0.0.0", 13)};
    for (const std::string &reply : replies) {
        device.answerRaw(reply);
        EXPECT_EQ(queryDevice(), ERR_QUERY_REPLY) << reply.size() << " bytes";
        EXPECT_EQ(state, STATE_NOT_WRITTEN);
        EXPECT_TRUE(isAllZero(name, sizeof name));
    }
    EXPECT_EQ(device.requestsSeen(), replies.size());
}

TEST_F(DeviceQueryTest, ReplyFillingAll128BytesWithoutNul) {
    startDevice(8);
    const std::string local = firstLocalAddress();
    ASSERT_FALSE(local.empty());
    const std::string longName(128 - 1 - local.size(), 'n');
    device.answerWith(longName, local);
    ASSERT_EQ(queryDevice(), 0u);
    EXPECT_EQ(state, ORVANE_USED_BY_THIS_PC);
    EXPECT_EQ(std::string(name, longName.size()), longName);
    EXPECT_TRUE(isAllZero(name + longName.size(), sizeof name - longName.size()));
}

TEST_F(DeviceQueryTest, ReplyLongerThan128BytesIsAReceiveFailure) {
    startDevice(9);
    device.answerWith("captureORVANE", "0.0.0.0" + std::string(130, ' '));
    EXPECT_EQ(queryDevice(), ERR_QUERY_TRANSFER);
    EXPECT_EQ(state, STATE_NOT_WRITTEN);
    EXPECT_TRUE(isAllZero(name, sizeof name));
    const std::string text = pszGetErrorText(orvane::platform().messageTooLongError);
    EXPECT_EQ(stdoutText,
              "OrvaneMonitor::dwGetOrvaneState: Error receiving message: " + text + "\n");
    EXPECT_EQ(readLog(), "");
}

} // namespace
