// The device kind decided from the reply name, shared by the monitor window and the check.
#include "DeviceKind.h"

#include <gtest/gtest.h>

namespace {

TEST(DeviceKindTest, SixSixAnywhereMeansSourceOtherwiseCaptureEmptyMeansRelayHost) {
    EXPECT_STREQ(pszDeviceKindName("66SRC"), "sourceORVANE");
    EXPECT_STREQ(pszDeviceKindName("SRC-6603"), "sourceORVANE");
    EXPECT_STREQ(pszDeviceKindName("SRC66"), "sourceORVANE");
    EXPECT_STREQ(pszDeviceKindName("6x6"), "captureORVANE");
    EXPECT_STREQ(pszDeviceKindName("6"), "captureORVANE");
    EXPECT_STREQ(pszDeviceKindName("captureORVANE"), "captureORVANE");
    EXPECT_STREQ(pszDeviceKindName(""), "Relay Host");
}

} // namespace
