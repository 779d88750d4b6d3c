// orvane-simdevice: plays an Orvane device on a loopback address for the quick start and tests.
#include "DeviceConsole.h"
#include "DeviceOptions.h"
#include "SimulatedDevice.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

constexpr char PROGRAM[] = "orvane-simdevice";
constexpr int EXIT_USAGE = 2;

void printLine(const std::string &line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// SIGINT and SIGTERM arrive through a descriptor, so that the input loop sees them; blocked
// before the answering thread starts, so that it inherits the mask.
int blockStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) {
        return -1;
    }
    return signalfd(-1, &signals, SFD_CLOEXEC);
}

// Hands every complete line of pending to the console and keeps the rest.
void executeLines(std::string &pending, simdevice::DeviceConsole &console) {
    for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
        printLine(console.execute(pending.substr(0, end)));
        pending.erase(0, end + 1);
    }
}

// Reads commands until end of input or a stop signal.
void runConsole(simdevice::DeviceConsole &console, int signalFd) {
    std::string pending;
    pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {signalFd, POLLIN, 0}};
    for (;;) {
        if (poll(watched, signalFd >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (signalFd >= 0 && watched[1].revents != 0) {
            return;
        }
        char chunk[4096];
        const ssize_t length = read(STDIN_FILENO, chunk, sizeof chunk);
        if (length < 0 && errno == EINTR) {
            continue;
        }
        if (length <= 0) {
            if (!pending.empty()) {
                printLine(console.execute(pending));
            }
            return;
        }
        pending.append(chunk, std::size_t(length));
        executeLines(pending, console);
    }
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
    const int signalFd = blockStopSignals();
    simdevice::SimulatedDevice device;
    if (!device.start(options.address, options.port, &error, options.allowNonLoopback)) {
        std::cerr << PROGRAM << ": " << error << "\n";
        const bool refused = !options.allowNonLoopback && error.rfind("refusing", 0) == 0;
        return refused ? EXIT_USAGE : 1;
    }
    simdevice::DeviceConsole console(device, options.name, options.user);
    printLine(std::string(PROGRAM) + ": listening on " + options.address + ":" +
              std::to_string(options.port));
    runConsole(console, signalFd);
    device.stop();
    return 0;
}
