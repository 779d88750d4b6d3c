// orvane-simdevice-hub: runs simulated devices on loopback addresses for clients that cannot run
// them in their own process, steered by control datagrams (see HubProtocol.h). The Windows build
// of the network-layer tests uses it: the tests run under wine, the devices natively.
#include "DeviceHub.h"
#include "NetworkText.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char PROGRAM[] = "orvane-simdevice-hub";
constexpr int EXIT_USAGE = 2;
constexpr std::size_t LARGEST_DATAGRAM = 65536;

struct HubOptions {
    std::string address = simdevicehub::DEFAULT_CONTROL_ADDRESS;
    std::uint16_t port = simdevicehub::DEFAULT_CONTROL_PORT;
    unsigned long idleSeconds = 600;
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

bool parseNumber(const char *text, unsigned long maximum, unsigned long *value) {
    char *end = nullptr;
    errno = 0;
    *value = std::strtoul(text, &end, 10);
    return *text != '\0' && *end == '\0' && errno == 0 && *value <= maximum;
}

bool parseOptions(int argc, char **argv, HubOptions *options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        const char *value = argv[++i];
        if (option == "--control") {
            options->address = value;
        } else if (option == "--port") {
            if (!simdevice::parsePort(value, &options->port)) {
                return false;
            }
        } else if (option == "--idle-exit") {
            if (!parseNumber(value, 86400, &options->idleSeconds) || options->idleSeconds == 0) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

int openControlSocket(const HubOptions &options) {
    std::uint32_t address = 0;
    if (!simdevice::parseIPv4(options.address, &address) || !simdevice::isLoopback(address)) {
        std::fprintf(stderr, "%s: not a loopback address: %s\n", PROGRAM, options.address.c_str());
        return -1;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(options.port);
    local.sin_addr.s_addr = htonl(address);
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
        std::fprintf(stderr, "%s: cannot listen on %s:%u: %s\n", PROGRAM, options.address.c_str(),
                     unsigned(options.port), std::strerror(errno));
        return -1;
    }
    return fd;
}

// Serves control datagrams until none came for the idle time.
void serve(int fd, unsigned long idleSeconds) {
    simdevicehub::DeviceHub hub;
    std::vector<char> datagram(LARGEST_DATAGRAM);
    pollfd watched = {fd, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&watched, 1, int(idleSeconds * 1000));
        if (ready == 0) {
            std::printf("%s: idle for %lu s, ending\n", PROGRAM, idleSeconds);
            return;
        }
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        sockaddr_in sender{};
        socklen_t senderLength = sizeof sender;
        const ssize_t length = ::recvfrom(fd, datagram.data(), datagram.size(), 0,
                                          reinterpret_cast<sockaddr *>(&sender), &senderLength);
        if (length < 0) {
            continue;
        }
        const std::string answer = hub.execute(std::string(datagram.data(), std::size_t(length)));
        ::sendto(fd, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr *>(&sender),
                 senderLength);
    }
}

} // namespace

int main(int argc, char **argv) {
    HubOptions options;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        printUsage(stdout);
        return 0;
    }
    if (!parseOptions(argc, argv, &options)) {
        printUsage(stderr);
        return EXIT_USAGE;
    }
    const int fd = openControlSocket(options);
    if (fd < 0) {
        return 1;
    }
    std::printf("%s: listening on %s:%u\n", PROGRAM, options.address.c_str(),
                unsigned(options.port));
    std::fflush(stdout);
    serve(fd, options.idleSeconds);
    ::close(fd);
    return 0;
}
