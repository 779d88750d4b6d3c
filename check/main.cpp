// orvane-check: asks one device once and answers in the form monitoring systems expect.

#include "CheckOptions.h"
#include "CheckReport.h"
#include "CheckUsage.h"
#include "DeviceProbe.h"
#include "HostName.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace orvanecheck;

namespace {

int print(const std::string &text, PluginStatus status) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
    return static_cast<int>(status);
}

} // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const CheckOptions options = parseCheckOptions(args);
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
    CheckOutcome outcome = probeDevice(options.address, options.timeoutMs);
    if (options.lookUpHolderName && hasAnswer(outcome) &&
        outcome.state == ORVANE_USED_BY_OTHER_PC) {
        outcome.userName = orvane::holderHostName(outcome.userAddress, deadline);
    }
    outcome.thresholds = options.thresholds;
    return print(options.json ? jsonReport(outcome) : pluginOutput(outcome),
                 pluginStatusFor(outcome));
}
