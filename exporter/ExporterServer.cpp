#include "ExporterServer.h"

#include "Exposition.h"
#include "LabPage.h"
#include "ProbeRequest.h"
#include "ProcessMetrics.h"

namespace orvaneexporter {

namespace {

constexpr char kScrapeTimeoutHeader[] = "X-Prometheus-Scrape-Timeout-Seconds";
constexpr std::chrono::seconds kStopGrace{1};

} // namespace

ExporterServer::ExporterServer(const ExporterLimits &limits)
    : limits(limits), probes(
                          limits.probeWorkers, limits.probesTaken,
                          [this](const ProbeRequest &request, const ProbeResult &result) {
                              return answerOf(request, result);
                          },
                          [this](const char *cause) { metrics.refused(cause); }),
      http(
          limits.http,
          [this](const HttpRequest &request, HttpReply reply) { route(request, std::move(reply)); },
          [this](const char *cause) { metrics.refused(cause); }) {}

ExporterServer::~ExporterServer() {
    stop();
}

bool ExporterServer::start(const std::string &address, int port, std::string *error) {
    return http.start(address, port, error);
}

void ExporterServer::stop() {
    probes.stop();
    http.stop(kStopGrace);
}

void ExporterServer::route(const HttpRequest &request, HttpReply reply) {
    if (request.path() == "/probe") {
        answerProbe(request, std::move(reply));
    } else if (request.path() == "/metrics") {
        reply.send(
            {200, kExpositionContentType, metrics.exposition(probes.load()) + processExposition()});
    } else if (request.path() == "/") {
        const auto now = WallClock::now();
        reply.send({200,
                    kLabPageContentType,
                    labPage(board.rows(now), now),
                    {{"Content-Security-Policy", kLabPagePolicy}}});
    } else {
        reply.send(plainAnswer(404, "no such path; / lists the paths"));
    }
}

void ExporterServer::answerProbe(const HttpRequest &request, HttpReply reply) {
    const ProbeRequestReading reading =
        readProbeRequest(request.parameters("target"), request.parameter("timeout"),
                         request.header(kScrapeTimeoutHeader), limits.maxTimeoutMs);
    if (!reading.request) {
        metrics.refused("bad_request");
        reply.send(plainAnswer(400, reading.refusal));
        return;
    }
    const ProbeRequest &probe = *reading.request;
    probes.submit({probe, request.accepted() + std::chrono::milliseconds(probe.startWithinMs),
                   std::move(reply)});
}

HttpAnswer ExporterServer::answerOf(const ProbeRequest &request, const ProbeResult &result) {
    metrics.record(result);
    const DeviceRow row = board.record(request.target, result, WallClock::now());
    return {200, kExpositionContentType, probeExposition(result) + historyExposition(row)};
}

} // namespace orvaneexporter
