// The exporter's HTTP side: /probe?target=ADDRESS probes one device, /metrics shows the
// exporter's own counters, / shows every device probed (LabPage.h). Served by cpp-httplib from a
// pool of workers, one request per connection.
#pragma once

#include "ExporterMetrics.h"
#include "LabBoard.h"

#include <atomic>
#include <httplib.h>
#include <string>

namespace orvaneexporter {

// How many requests are answered at once; more wait for a free worker. A silent device keeps
// its worker for the whole time-out, so this is sized for a lab whose every device is scraped
// at the same moment, a good part of them silent.
inline constexpr std::size_t kWorkers = 256;

class ExporterServer {
public:
    ExporterServer();

    // Listens on address (IPv4 or IPv6 literal) and port, any free port for 0; false, with the
    // reason, when it cannot.
    bool bind(const std::string &address, int port, std::string *error);
    int port() const { return boundPort; }

    // Answers requests until stop() is called from another thread; stop() waits for serve() to
    // have started, so that a stop that comes early is not lost.
    void serve();
    void stop();

private:
    void answerProbe(const httplib::Request &request, httplib::Response &response);

    httplib::Server server;
    ExporterMetrics metrics;
    LabBoard board;
    int listeningSocket = -1;
    int boundPort = 0;
    std::atomic<bool> served{false};
};

} // namespace orvaneexporter
