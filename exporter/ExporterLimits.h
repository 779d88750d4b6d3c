// Every bound of the exporter in one place: what one connection, one request and one probe may
// cost, and how many of each there may be at once.
#pragma once

#include "HttpServer.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvaneexporter {

// The longest a probe may wait for its device, and the default of --max-timeout: Prometheus'
// default scrape time-out.
inline constexpr std::uint32_t kLongestMaxTimeoutMs = 10'000;

struct ExporterLimits {
    HttpLimits http;
    // The longest a probe waits for its device, and an answer may take (--max-timeout).
    std::uint32_t maxTimeoutMs = kLongestMaxTimeoutMs;
    // Probes in flight: a lab whose every device is scraped at the same moment, a good part of
    // them silent.
    std::size_t probeWorkers = 256;
    // Probes taken at once, running or waiting: each holds a connection, and the connections
    // left stay for /metrics and the answers of refusals.
    std::size_t probesTaken = 960;
};

// A probe's own sockets must never find the descriptors taken by waiting connections: the soft
// descriptor limit is raised to what the connections and probes need, as far as the hard limit
// allows. Where it allows less, fewer connections (and probes taken) are served; the line to
// log then says so, else it is empty.
std::string fitDescriptorLimit(ExporterLimits &limits);

} // namespace orvaneexporter
