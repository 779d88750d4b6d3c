// The device address conversion and the match of the user address with this PC's addresses.
#include "FakeSocketLayer.h"
#include "QueryTestFixture.h"

#include "DeviceAddress.h"

#include <vector>

namespace {

TEST(DeviceAddressTest, TheRuleIsTheValidatorsWholeTextMatch) {
    for (const char *good : {"0.0.0.0", "255.255.255.255", "01.02.03.04", "9.99.199.249"}) {
        EXPECT_TRUE(bIsDeviceAddress(good)) << good;
    }
    for (const char *bad : {"", "256.1.1.1", "001.1.1.1", "1.2.3.4.5", "1.2.3.4 ", " 1.2.3.4"}) {
        EXPECT_FALSE(bIsDeviceAddress(bad)) << bad;
    }
}

TEST(DottedQuadTest, OctetsWithLeadingZerosAreDecimal) {
    EXPECT_EQ(dwDottedQuadToIPv4("192.168.1.09"), 0xC0A80109u);
    EXPECT_EQ(dwDottedQuadToIPv4("192.168.08.1"), 0xC0A80801u);
    EXPECT_EQ(dwDottedQuadToIPv4("10.00.07.1"), 0x0A000701u);
}

TEST(DottedQuadTest, PlainAddressesAndTheExtremes) {
    EXPECT_EQ(dwDottedQuadToIPv4("127.0.0.1"), 0x7F000001u);
    EXPECT_EQ(dwDottedQuadToIPv4("0.0.0.0"), 0u);
    EXPECT_EQ(dwDottedQuadToIPv4("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(dwDottedQuadToIPv4("250.249.199.99"), 0xFAF9C763u);
}

TEST(DottedQuadTest, AnythingButFourOctetsGivesTheAllOnesAddress) {
    for (const char *text :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4 ", " 1.2.3.4", "1..2.3", "1.2.3.",
          "0x7f.0.0.1", "1.2.3.1000", "a.b.c.d", "010.0.0.1"}) {
        EXPECT_EQ(dwDottedQuadToIPv4(text), INVALID_IPV4_ADDRESS) << '"' << text << '"';
    }
}

class AddressMatchTest : public QueryTest {
protected:
    // Scripts a reply with the user address and gives this PC the addresses listed.
    void reply(const std::string &user, std::uint32_t addressResult = 0) {
        fakesocket::Script steps;
        steps.datagram = "captureORVANE#" + user;
        orvane::PlatformLayer layer = fakesocket::install(steps);
        layer.getLocalAddresses = [](std::vector<std::string> *addresses) {
            *addresses = localAddresses;
            ++gatherCalls;
            return localResult;
        };
        localResult = addressResult;
        gatherCalls = 0;
        usePlatform(layer);
    }

    static std::vector<std::string> localAddresses;
    static std::uint32_t localResult;
    static int gatherCalls;
};

std::vector<std::string> AddressMatchTest::localAddresses;
std::uint32_t AddressMatchTest::localResult = 0;
int AddressMatchTest::gatherCalls = 0;

TEST_F(AddressMatchTest, QuerySendsToTheDecimalReadingOfTheAddress) {
    reply("0.0.0.0");
    ASSERT_EQ(query("127.0.0.09"), 0u);
    EXPECT_EQ(fakesocket::record().destination, 0x7F000009u);
    EXPECT_EQ(fakesocket::record().port, 9758);
}

TEST_F(AddressMatchTest, EveryAddressOfThisPCIsComparedAndGatheredOnce) {
    localAddresses = {"127.0.0.1", "192.0.2.2", "198.51.100.7", "203.0.113.9"};
    reply("203.0.113.9");
    ASSERT_EQ(query("127.0.0.21"), 0u);
    EXPECT_EQ(state, ORVANE_USED_BY_THIS_PC);
    EXPECT_EQ(gatherCalls, 1);
}

TEST_F(AddressMatchTest, ComparisonIsExactText) {
    localAddresses = {"192.168.1.5"};
    for (const char *user : {"192.168.001.005", "192.168.1.5 ", "192.168.1.50", "192.168.1."}) {
        reply(user);
        ASSERT_EQ(query("127.0.0.21"), 0u);
        EXPECT_EQ(state, ORVANE_USED_BY_OTHER_PC) << '"' << user << '"';
    }
}

TEST_F(AddressMatchTest, NoAddressesOrNoneAvailableMeansAnotherPC) {
    localAddresses = {};
    reply("192.168.1.5");
    ASSERT_EQ(query("127.0.0.21"), 0u);
    EXPECT_EQ(state, ORVANE_USED_BY_OTHER_PC);

    localAddresses = {"192.168.1.5"};
    reply("192.168.1.5", ERR_NO_HOST_ADDRESS);
    ASSERT_EQ(query("127.0.0.21"), 0u);
    EXPECT_EQ(state, ORVANE_USED_BY_OTHER_PC);
}

TEST_F(AddressMatchTest, FreeDeviceNeedsNoAddressesOfThisPC) {
    localAddresses = {"0.0.0.0"};
    reply("0.0.0.0");
    ASSERT_EQ(query("127.0.0.21"), 0u);
    EXPECT_EQ(state, ORVANE_AVAILABLE);
    EXPECT_EQ(gatherCalls, 0);
}

} // namespace
