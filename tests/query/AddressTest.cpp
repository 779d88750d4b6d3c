// The device address conversion and the match of the user address with this PC's addresses.
#include "FakeSocketLayer.h"
#include "QueryTestFixture.h"

#include "DeviceAddress.h"

#include <vector>

namespace {

// The rule is the validator's whole-text match; what it takes reads as decimal octets (a leading
// zero does not make an octet octal), anything else as the all-ones address.
TEST(DeviceAddressTest, TheRuleAndTheReadingOfAnAddress) {
    const std::pair<const char *, std::uint32_t> addresses[] = {
        {"192.168.1.09", 0xC0A80109u},
        {"192.168.08.1", 0xC0A80801u},
        {"10.00.07.1", 0x0A000701u},
        {"127.0.0.1", 0x7F000001u},
        {"0.0.0.0", 0u},
        {"255.255.255.255", ~0u},
        {"250.249.199.99", 0xFAF9C763u},
        {"01.02.03.04", 0x01020304u},
        {"9.99.199.249", 0x0963C7F9u},
    };
    for (const auto &[text, address] : addresses) {
        EXPECT_TRUE(bIsDeviceAddress(text)) << text;
        EXPECT_EQ(dwDottedQuadToIPv4(text), address) << text;
    }
    for (const char *text :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "001.1.1.1", "1.2.3.4 ", " 1.2.3.4", "1..2.3",
          "1.2.3.", "0x7f.0.0.1", "1.2.3.1000", "a.b.c.d", "010.0.0.1"}) {
        EXPECT_FALSE(bIsDeviceAddress(text)) << '"' << text << '"';
        EXPECT_EQ(dwDottedQuadToIPv4(text), INVALID_IPV4_ADDRESS) << '"' << text << '"';
    }
}

using AddressMatchTest = QueryTest;

// This PC's addresses as the test gives them, and how often the query gathered them.
std::vector<std::string> localAddresses;
std::uint32_t localResult = 0;
int gatherCalls = 0;

// The user address against this PC's addresses: every one is compared, as exact text, after
// gathering them once; none, or none to be had, means another PC; a free device needs none. The
// request goes to the decimal reading of the device's address, with the time-out and the reply
// buffer's size, and the socket is closed.
TEST_F(AddressMatchTest, UserAddressIsComparedAsExactTextWithEveryAddressOfThisPC) {
    const std::vector<std::string> some = {"127.0.0.1", "192.0.2.2", "198.51.100.7", "203.0.113.9"};
    const struct {
        std::vector<std::string> local;
        std::uint32_t gatherResult;
        std::string user;
        OrvaneState state;
        int gatherCalls;
    } matches[] = {
        {some, 0, "203.0.113.9", ORVANE_USED_BY_THIS_PC, 1},
        {{"192.168.1.5"}, 0, "192.168.001.005", ORVANE_USED_BY_OTHER_PC, 1},
        {{"192.168.1.5"}, 0, "192.168.1.5 ", ORVANE_USED_BY_OTHER_PC, 1},
        {{"192.168.1.5"}, 0, "192.168.1.50", ORVANE_USED_BY_OTHER_PC, 1},
        {{"192.168.1.5"}, 0, "192.168.1.", ORVANE_USED_BY_OTHER_PC, 1},
        {{}, 0, "192.168.1.5", ORVANE_USED_BY_OTHER_PC, 1},
        {{"192.168.1.5"}, ERR_NO_HOST_ADDRESS, "192.168.1.5", ORVANE_USED_BY_OTHER_PC, 1},
        {{"0.0.0.0"}, 0, "0.0.0.0", ORVANE_AVAILABLE, 0},
    };
    for (const auto &match : matches) {
        SCOPED_TRACE('"' + match.user + '"');
        orvane::PlatformLayer layer =
            fakesocket::install({.datagram = "captureORVANE#" + match.user});
        layer.getLocalAddresses = [](std::vector<std::string> *addresses) {
            *addresses = localAddresses;
            ++gatherCalls;
            return localResult;
        };
        usePlatform(layer);
        localAddresses = match.local;
        localResult = match.gatherResult;
        gatherCalls = 0;
        ASSERT_EQ(query("127.0.0.09", 1234), 0u);
        EXPECT_EQ(state, match.state);
        EXPECT_EQ(gatherCalls, match.gatherCalls);
        EXPECT_EQ(fakesocket::record().destination, 0x7F000009u);
        EXPECT_EQ(fakesocket::record().port, 9758);
        EXPECT_EQ(fakesocket::record().sent, std::string("state\0", 6));
        EXPECT_EQ(fakesocket::record().timeoutMs, 1234u);
        EXPECT_EQ(fakesocket::record().receiveCapacity, 128u);
        EXPECT_EQ(fakesocket::record().closed, std::vector{fakesocket::FAKE_SOCKET});
    }
}

} // namespace
