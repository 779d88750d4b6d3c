// orvane-check: asks one device once and answers in the form monitoring systems expect.

#include "CheckOptions.h"
#include "HostName.h"
#include "OutputSink.h"

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using namespace orvanecheck;

namespace {

// Asks the device once, timed, with the network layer's lines kept from standard output, where
// the status line must come first.
void probeDevice(CheckOutcome &outcome) {
    std::string kept;
    orvane::setOutputSink([&kept](const std::string &line) { kept += line; });
    outcome.answer.dwResult = dwInitSockets();
    if (outcome.answer.dwResult == 0) {
        const auto start = std::chrono::steady_clock::now();
        outcome.answer = askOrvane(outcome.address.c_str(), outcome.timeoutMs);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        outcome.rttMs = took.count();
        iCleanupSockets();
    }
    orvane::setOutputSink({});
    std::istringstream lines(kept);
    for (std::string line; std::getline(lines, line);) {
        outcome.networkMessages.push_back(line);
    }
}

int print(const std::string &text, PluginStatus status) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
    return static_cast<int>(status);
}

} // namespace

int main(int argc, char **argv) {
    const CheckOptions options = parseCheckOptions({argv + (argc > 0 ? 1 : 0), argv + argc});
    switch (options.action) {
    case CheckAction::ShowHelp:
        return print(helpText(), PluginStatus::Ok);
    case CheckAction::ShowVersion:
        return print(versionText(), PluginStatus::Ok);
    case CheckAction::UsageError:
        return print(usageErrorLine(options.error) + "\n" + usageSynopsis(), PluginStatus::Unknown);
    case CheckAction::Run:
        break;
    }
    // The whole run keeps to the time-out: a lookup of the holder's name gets what the query left.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeoutMs);
    CheckOutcome outcome;
    outcome.address = options.address;
    outcome.timeoutMs = options.timeoutMs;
    outcome.thresholds = options.thresholds;
    probeDevice(outcome);
    if (options.lookUpHolderName && hasAnswer(outcome) &&
        outcome.answer.eState == ORVANE_USED_BY_OTHER_PC) {
        outcome.userName = orvane::holderHostName(outcome.answer.sUser, deadline);
    }
    return print(options.json ? jsonReport(outcome) : pluginOutput(outcome),
                 pluginStatusFor(outcome));
}
