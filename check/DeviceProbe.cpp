#include "DeviceProbe.h"

#include "OutputSink.h"

#include <chrono>

namespace orvanecheck {

namespace {

std::vector<std::string> splitLines(const std::string &text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The network layer's lines, kept from standard output, where the status line must come first.
class KeptOutput {
public:
    KeptOutput() {
        orvane::setOutputSink([this](const std::string &line) { text += line; });
    }
    ~KeptOutput() { orvane::setOutputSink({}); }
    KeptOutput(const KeptOutput &) = delete;
    KeptOutput &operator=(const KeptOutput &) = delete;

    std::vector<std::string> lines() const { return splitLines(text); }

private:
    std::string text;
};

} // namespace

CheckOutcome probeDevice(const std::string &address, std::uint32_t timeoutMs) {
    CheckOutcome outcome;
    outcome.address = address;
    outcome.timeoutMs = timeoutMs;

    KeptOutput output;
    outcome.resultCode = dwInitSockets();
    if (outcome.resultCode == 0) {
        const auto start = std::chrono::steady_clock::now();
        const OrvaneAnswer answer = askOrvane(address.c_str(), timeoutMs);
        const auto stop = std::chrono::steady_clock::now();
        outcome.rttMs = std::chrono::duration<double, std::milli>(stop - start).count();
        outcome.resultCode = answer.dwResult;
        outcome.state = answer.eState;
        outcome.replyName = answer.sName;
        outcome.noRoute = answer.bNoRoute;
        // Only an answer with a "#" tells who holds the device; silence tells nothing.
        outcome.userAddressKnown = answer.dwResult == 0 && answer.eState != ORVANE_NOT_REACHABLE;
        outcome.userAddress = answer.sUser;
        iCleanupSockets();
    }
    outcome.networkMessages = output.lines();
    return outcome;
}

} // namespace orvanecheck
