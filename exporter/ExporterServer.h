// The exporter's HTTP paths: /probe?target=ADDRESS probes one device, /metrics shows the
// exporter's own counters, / shows every device probed (LabPage.h). Requests are served by
// HttpServer and probes run on the workers of a ProbeQueue, within the bounds of ExporterLimits,
// whatever a client asks.
#pragma once

#include "ExporterLimits.h"
#include "ExporterMetrics.h"
#include "HttpServer.h"
#include "LabBoard.h"
#include "ProbeQueue.h"

#include <string>

namespace orvaneexporter {

class ExporterServer {
public:
    explicit ExporterServer(const ExporterLimits &limits = {});
    ~ExporterServer();

    // Listens on address (IPv4 or IPv6 literal) and port, any free port for 0, and answers from
    // then on; false, with the reason, when it cannot.
    bool start(const std::string &address, int port, std::string *error);
    int port() const { return http.port(); }

    // Answers every probe waiting or running as refused (503) at once, lets the answers go out
    // for up to a second, and closes every connection. Probes still running are not waited for.
    void stop();

private:
    void route(const HttpRequest &request, HttpReply reply);
    void answerProbe(const HttpRequest &request, HttpReply reply);
    HttpAnswer answerOf(const ProbeRequest &request, const ProbeResult &result);

    const ExporterLimits limits;
    ExporterMetrics metrics;
    LabBoard board;
    ProbeQueue probes;
    HttpServer http;
};

} // namespace orvaneexporter
