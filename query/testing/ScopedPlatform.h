// Installs a replacement platform table for the lifetime of the object and restores the previous
// one afterwards. Start from nativePlatform() or platform() and replace only what a test needs:
//
//     orvane::PlatformLayer fake = orvane::platform();
//     fake.createSocket = [] { return orvane::INVALID_SOCKET_HANDLE; };
//     orvane::testing::ScopedPlatform guard(fake);
//
// Replacements are plain function pointers (captureless lambdas), so a libFuzzer target can
// install one table once and feed each input through static state.
#pragma once

#include "Platform.h"

namespace orvane::testing {

class ScopedPlatform {
public:
    explicit ScopedPlatform(const PlatformLayer &replacement) : previous(platform()) {
        installPlatform(replacement);
    }
    ~ScopedPlatform() { installPlatform(previous); }
    ScopedPlatform(const ScopedPlatform &) = delete;
    ScopedPlatform &operator=(const ScopedPlatform &) = delete;

private:
    PlatformLayer previous;
};

} // namespace orvane::testing
