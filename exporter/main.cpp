// orvane-exporter: the state of Orvane devices for Prometheus, one probe per scrape.

#include "ExporterOptions.h"
#include "ExporterServer.h"
#include "FailureLog.h"
#include "OnTimeReceive.h"
#include "OrvaneQuery.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

using namespace orvaneexporter;

namespace {

constexpr int EXIT_CANNOT_LISTEN = 1;
constexpr int EXIT_USAGE = 2;
constexpr std::chrono::minutes kFailureLineInterval{1};

// SIGTERM and SIGINT are taken by a thread of their own, which ends the server as any thread
// may; blocked here, before the first thread starts, so that every later thread inherits it.
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
    dwInitSockets();
    receiveRepliesOnTime();
    FailureLog failureLog(stderr, kFailureLineInterval);
    sendNetworkLinesTo(failureLog);
    ExporterServer server;
    std::string error;
    if (!server.bind(options.listenAddress, options.listenPort, &error)) {
        std::fprintf(stderr, "orvane-exporter: cannot listen on %s port %d: %s\n",
                     options.listenAddress.c_str(), options.listenPort, error.c_str());
        return EXIT_CANNOT_LISTEN;
    }
    std::fprintf(stderr, "orvane-exporter: listening on %s port %d\n",
                 options.listenAddress.c_str(), options.listenPort);
    std::thread([&server, stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    }).detach();
    server.serve();
    iCleanupSockets();
    return 0;
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
        std::fprintf(stderr,
                     "orvane-exporter: %s\nUsage: orvane-exporter [--listen ADDRESS:PORT] "
                     "[-h] [-V]\n",
                     options.error.c_str());
        return EXIT_USAGE;
    case ExporterAction::Serve:
        break;
    }
    return serve(options);
}
