// orvane-simdevice-hub: runs simulated devices on loopback addresses for clients that cannot run
// them in their own process, steered by control datagrams (see HubProtocol.h). The Windows build
// of the network-layer tests uses it: the tests run under wine, the devices natively.
#include "BoundSocket.h"
#include "DeviceHub.h"
#include "DeviceOptions.h"
#include "HubProtocol.h"

#include <cstdio>
#include <getopt.h>
#include <string>

namespace {

constexpr char PROGRAM[] = "orvane-simdevice-hub";
constexpr int EXIT_USAGE = 2;
constexpr unsigned long LONGEST_IDLE_SECONDS = 86400;

struct HubOptions {
    std::string address = simdevicehub::DEFAULT_CONTROL_ADDRESS;
    std::uint16_t port = simdevicehub::DEFAULT_CONTROL_PORT;
    unsigned long idleSeconds = 600;
    bool help = false;
};

void printUsage(std::FILE *stream) {
    std::fprintf(stream,
                 "usage: %s [--control ADDRESS] [--port PORT] [--idle-exit SECONDS]\n"
                 "  Runs simulated devices for clients, steered by control datagrams on\n"
                 "  ADDRESS:PORT (default %s:%u, loopback only). Ends on SIGTERM or SIGINT, or\n"
                 "  after SECONDS (default 600) without a control datagram.\n",
                 PROGRAM, simdevicehub::DEFAULT_CONTROL_ADDRESS,
                 unsigned(simdevicehub::DEFAULT_CONTROL_PORT));
}

bool parseOptions(int argc, char **argv, HubOptions *options) {
    static const option longOptions[] = {
        {"control", required_argument, nullptr, 'c'},
        {"port", required_argument, nullptr, 'p'},
        {"idle-exit", required_argument, nullptr, 'i'},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    unsigned long port = 0;
    for (int key; (key = getopt_long(argc, argv, "+:h", longOptions, nullptr)) != -1;) {
        switch (key) {
        case 'c':
            options->address = optarg;
            break;
        case 'p':
            if (!simdevice::parseNumber(optarg, 1, 65535, &port)) {
                return false;
            }
            options->port = std::uint16_t(port);
            break;
        case 'i':
            if (!simdevice::parseNumber(optarg, 1, LONGEST_IDLE_SECONDS, &options->idleSeconds)) {
                return false;
            }
            break;
        case 'h':
            options->help = true;
            break;
        default: // an unknown option, or one without its value
            return false;
        }
    }
    return optind == argc;
}

} // namespace

int main(int argc, char **argv) {
    HubOptions options;
    if (!parseOptions(argc, argv, &options)) {
        printUsage(stderr);
        return EXIT_USAGE;
    }
    if (options.help) {
        printUsage(stdout);
        return 0;
    }
    simdevice::BoundSocket control;
    std::string error;
    if (!control.open(options.address, options.port, false,
                      std::uint32_t(options.idleSeconds * 1000), &error)) {
        std::fprintf(stderr, "%s: %s\n", PROGRAM, error.c_str());
        return 1;
    }
    std::printf("%s: listening on %s:%u\n", PROGRAM, options.address.c_str(),
                unsigned(options.port));
    std::fflush(stdout);
    simdevicehub::DeviceHub hub;
    std::string datagram;
    simdevice::Peer sender;
    for (;;) {
        const auto received = control.receive(&datagram, &sender);
        if (received == simdevice::BoundSocket::Received::TimedOut) {
            std::printf("%s: idle for %lu s, ending\n", PROGRAM, options.idleSeconds);
            return 0;
        }
        if (received == simdevice::BoundSocket::Received::Datagram) {
            control.send(hub.execute(datagram), sender);
        }
    }
}
