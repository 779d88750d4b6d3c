// orvane-monitor-autostart: starts Orvane Monitor at login for the devices a user, or the
// installer for all users, enables; without options, what the login entry of earlier versions
// runs.
#include "AutostartCommand.h"
#include "AutostartOptions.h"
#include "AutostartUsage.h"
#include "LoginStarts.h"
#include "MonitorProgram.h"

#include <iostream>
#include <string>
#include <vector>

using namespace autostart;

int main(int argc, char **argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const AutostartOptions options = parseAutostartOptions(args);
    switch (options.action) {
    case AutostartAction::ShowHelp:
        std::cout << helpText();
        return 0;
    case AutostartAction::ShowVersion:
        std::cout << versionText();
        return 0;
    case AutostartAction::UsageError:
        std::cerr << kProgram << ": " << options.error << "\n";
        return 2;
    case AutostartAction::StartMonitor:
        return runMonitor(earlierSavedAddress());
    default:
        return runLoginStartCommand(options, std::cout, std::cerr);
    }
}
