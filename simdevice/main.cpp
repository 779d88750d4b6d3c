// orvane-simdevice: plays an Orvane device on a loopback address for the quick start and tests.
#include "ConsoleInput.h"
#include "DeviceConsole.h"
#include "DeviceOptions.h"
#include "SimulatedDevice.h"

#include <cstdio>
#include <iostream>

namespace {

constexpr char PROGRAM[] = "orvane-simdevice";
constexpr int EXIT_USAGE = 2;

void printLine(const std::string &line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
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
    simdevice::ConsoleInput input;
    simdevice::SimulatedDevice device;
    if (!device.start(options.address, options.port, &error, options.allowNonLoopback)) {
        std::cerr << PROGRAM << ": " << error << "\n";
        const bool refused = !options.allowNonLoopback && error.rfind("refusing", 0) == 0;
        return refused ? EXIT_USAGE : 1;
    }
    simdevice::DeviceConsole console(device, options.name, options.user);
    printLine(std::string(PROGRAM) + ": listening on " + options.address + ":" +
              std::to_string(options.port));
    input.run([&console](const std::string &line) { printLine(console.execute(line)); });
    device.stop();
    return 0;
}
