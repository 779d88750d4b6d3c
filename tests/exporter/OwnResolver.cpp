// No test of the exporter asks the machine's resolver for a holder's name: for every test of the
// executable, 192.0.2.7 is labpc-07 and no other address has a name.
#include "Platform.h"

#include <gtest/gtest.h>

namespace {

class OwnResolver : public ::testing::Environment {
public:
    void SetUp() override {
        orvane::PlatformLayer layer = orvane::platform();
        layer.hostNameOf = [](std::uint32_t address) {
            return std::string(address == 0xC0000207U ? "labpc-07" : "");
        };
        orvane::installPlatform(layer);
    }
};

[[maybe_unused]] const auto *const kOwnResolver =
    ::testing::AddGlobalTestEnvironment(new OwnResolver);

} // namespace
