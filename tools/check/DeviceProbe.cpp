#include "tools/check/DeviceProbe.h"

#include "tools/check/StdoutCapture.h"

#include <chrono>
#include <cstring>

namespace orvanecheck {

CheckOutcome probeDevice(const std::string &address, std::uint32_t timeoutMs) {
    CheckOutcome outcome;
    outcome.address = address;
    outcome.timeoutMs = timeoutMs;

    StdoutCapture capture;
    outcome.resultCode = dwInitSockets();
    if (outcome.resultCode == 0) {
        char name[ORVANE_NAME_BUFFER_SIZE] = {};
        char user[ORVANE_NAME_BUFFER_SIZE] = {};
        OrvaneState state = ORVANE_NOT_REACHABLE;
        const auto start = std::chrono::steady_clock::now();
        outcome.resultCode =
            dwGetOrvaneStateAndUser(address.c_str(), timeoutMs, name, &state, user);
        const auto stop = std::chrono::steady_clock::now();
        outcome.rttMs = std::chrono::duration<double, std::milli>(stop - start).count();
        outcome.state = state;
        outcome.replyName.assign(name, strnlen(name, sizeof name));
        // Only an answer with a "#" tells who holds the device; silence tells nothing.
        outcome.userAddressKnown = outcome.resultCode == 0 && state != ORVANE_NOT_REACHABLE;
        outcome.userAddress.assign(user, strnlen(user, sizeof user));
        iCleanupSockets();
    }
    outcome.networkMessages = capture.finish();
    return outcome;
}

} // namespace orvanecheck
