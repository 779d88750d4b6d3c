// Which holder texts are looked up, and which names the resolver gives are taken.

#include "HostName.h"

#include <gtest/gtest.h>

using namespace orvane;

// Only the address of another PC is looked up, and only a valid host name is taken.
TEST(HolderName, WhatIsLookedUpAndWhatIsTaken) {
    EXPECT_EQ(holderAddress("192.0.2.7"), 0xC0000207U);
    EXPECT_EQ(holderAddress("192.0.2.07 \t\r\n"), 0xC0000207U);
    for (const char *text : {"0.0.0.0", "255.255.255.255", "", "labpc-07", "192.0.2.7 x",
                             " 192.0.2.7", "192.0.2", "192.0.2.007", "192.0.2.7\n#"}) {
        EXPECT_FALSE(holderAddress(text).has_value()) << text;
    }
    const std::string label(63, 'a');
    const std::string longest = label + "." + label + "." + label + "." + label.substr(2);
    using Names = std::initializer_list<std::string>;
    for (const std::string &name : Names{"labpc-07", "Lab-1.example.org", "a7", "x.1y", longest}) {
        EXPECT_TRUE(isValidHostName(name)) << name;
    }
    for (const std::string &name :
         Names{"", "-lab", "lab-", "lab..x", "lab.", ".lab", "lab_pc", "lab pc", "<b>lab</b>",
               "lab\n", "192.0.2.7", "x.123", "7", label + "a", longest + "a"}) {
        EXPECT_FALSE(isValidHostName(name)) << name;
    }
}
