// orvane-simdevice: plays an Orvane device on a loopback address for the quick start and tests.
#include "DeviceConsole.h"
#include "DeviceOptions.h"
#include "SimulatedDevice.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

constexpr char PROGRAM[] = "orvane-simdevice";
constexpr int EXIT_USAGE = 2;

void printLine(const std::string &line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// A stop request ends the program at once, as a normal end: a blocking read of standard input
// cannot be woken on every system, every line printed is flushed already, and the system closes
// the device's socket with the process.
extern "C" void endOnStopRequest(int) {
    std::_Exit(0);
}

} // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    simdevice::DeviceOptions options;
    std::string error;
    if (!simdevice::parseDeviceOptions(arguments, &options, &error)) {
        std::cerr << PROGRAM << ": " << error << "\n" << simdevice::deviceUsage(PROGRAM);
        return EXIT_USAGE;
    }
    if (options.help) {
        std::cout << simdevice::deviceUsage(PROGRAM);
        return 0;
    }
    std::signal(SIGINT, endOnStopRequest);
    std::signal(SIGTERM, endOnStopRequest);
#ifdef SIGBREAK // Ctrl+Break: a signal of Windows' runtime alone, where Ctrl+C is SIGINT
    std::signal(SIGBREAK, endOnStopRequest);
#endif
    simdevice::SimulatedDevice device;
    if (!device.start(options.address, options.port, &error, options.allowNonLoopback)) {
        std::cerr << PROGRAM << ": " << error << "\n";
        const bool refused = !options.allowNonLoopback && error.rfind("refusing", 0) == 0;
        return refused ? EXIT_USAGE : 1;
    }
    simdevice::DeviceConsole console(device, options.name, options.user);
    printLine(std::string(PROGRAM) + ": listening on " + options.address + ":" +
              std::to_string(options.port));
    for (std::string line; std::getline(std::cin, line);) {
        printLine(console.execute(line));
    }
    device.stop();
    return 0;
}
