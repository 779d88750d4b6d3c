#include "tools/check/DeviceProbe.h"

#include "tools/check/ReplyTap.h"
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
        OrvaneState state = ORVANE_NOT_REACHABLE;
        const ReplyTap tap;
        const auto start = std::chrono::steady_clock::now();
        outcome.resultCode = dwGetOrvaneState(address.c_str(), timeoutMs, name, &state);
        const auto stop = std::chrono::steady_clock::now();
        outcome.rttMs = std::chrono::duration<double, std::milli>(stop - start).count();
        outcome.state = state;
        outcome.replyName.assign(name, strnlen(name, sizeof name));
        outcome.userAddressKnown = tap.userAddress(outcome.userAddress);
        iCleanupSockets();
    }
    outcome.networkMessages = capture.finish();
    return outcome;
}

} // namespace orvanecheck
