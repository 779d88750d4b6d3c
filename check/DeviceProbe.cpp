#include "DeviceProbe.h"

#include "StdoutCapture.h"

#include <chrono>

namespace orvanecheck {

CheckOutcome probeDevice(const std::string &address, std::uint32_t timeoutMs) {
    CheckOutcome outcome;
    outcome.address = address;
    outcome.timeoutMs = timeoutMs;

    StdoutCapture capture;
    outcome.resultCode = dwInitSockets();
    if (outcome.resultCode == 0) {
        const auto start = std::chrono::steady_clock::now();
        const OrvaneAnswer answer = askOrvane(address.c_str(), timeoutMs);
        const auto stop = std::chrono::steady_clock::now();
        outcome.rttMs = std::chrono::duration<double, std::milli>(stop - start).count();
        outcome.resultCode = answer.dwResult;
        outcome.state = answer.eState;
        outcome.replyName = answer.sName;
        // Only an answer with a "#" tells who holds the device; silence tells nothing.
        outcome.userAddressKnown = answer.dwResult == 0 && answer.eState != ORVANE_NOT_REACHABLE;
        outcome.userAddress = answer.sUser;
        iCleanupSockets();
    }
    outcome.networkMessages = capture.finish();
    return outcome;
}

} // namespace orvanecheck
