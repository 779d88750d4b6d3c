// orvane-exporter: the state of Orvane devices for Prometheus, one probe per scrape.

#include "ExporterOptions.h"
#include "ExporterServer.h"
#include "FailureLog.h"
#include "OnTimeReceive.h"
#include "OrvaneQuery.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>

using namespace orvaneexporter;

namespace {

constexpr int EXIT_CANNOT_LISTEN = 1;
constexpr int EXIT_USAGE = 2;
constexpr std::chrono::minutes kFailureLineInterval{1};

// SIGTERM and SIGINT are waited for by the main thread; blocked before the first thread starts,
// so that every later thread inherits the mask and none of them is interrupted.
sigset_t blockStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return signals;
}

int serve(const ExporterOptions &options) {
    const sigset_t stopSignals = blockStopSignals();
    ExporterLimits limits;
    limits.maxTimeoutMs = options.maxTimeoutMs;
    const std::string fitted = fitDescriptorLimit(limits);
    if (!fitted.empty()) {
        std::fprintf(stderr, "orvane-exporter: %s\n", fitted.c_str());
    }
    dwInitSockets();
    receiveRepliesOnTime();
    FailureLog failureLog(stderr, kFailureLineInterval);
    sendNetworkLinesTo(failureLog);
    ExporterServer server(limits);
    std::string error;
    if (!server.start(options.listenAddress, options.listenPort, &error)) {
        std::fprintf(stderr, "orvane-exporter: cannot listen on %s port %d: %s\n",
                     options.listenAddress.c_str(), options.listenPort, error.c_str());
        return EXIT_CANNOT_LISTEN;
    }
    std::fprintf(stderr, "orvane-exporter: listening on %s port %d\n",
                 options.listenAddress.c_str(), options.listenPort);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
    // Probes still waiting for a silent device have been answered as refused; their workers are
    // not waited for, and nothing is left to clean up that the end of the process does not.
    std::fflush(stderr);
    std::_Exit(0);
}

} // namespace

int main(int argc, char **argv) {
    const ExporterOptions options = parseExporterOptions(argc, argv);
    switch (options.action) {
    case ExporterAction::ShowHelp:
        std::fputs(exporterHelpText().c_str(), stdout);
        return 0;
    case ExporterAction::ShowVersion:
        std::fputs(exporterVersionText().c_str(), stdout);
        return 0;
    case ExporterAction::UsageError:
        std::fprintf(stderr, "orvane-exporter: %s\n%s", options.error.c_str(),
                     exporterUsage().c_str());
        return EXIT_USAGE;
    case ExporterAction::Serve:
        break;
    }
    return serve(options);
}
