// What a /probe request asks for: the device, how long to wait for it, and how late the probe may
// start and still answer in time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvaneexporter {

struct ProbeRequest {
    std::string target;      // dotted quad of one device, in its one spelling
    std::uint32_t timeoutMs; // handed to the query
    // From the connection's start: the answer is due by the scrape time-out less the answer's
    // way, or by the exporter's maximum for a client that sends none; the probe must start its
    // whole time-out before that.
    std::uint32_t startWithinMs;
};

// A request, or the one-line reason why there is none (the answer is then HTTP 400).
struct ProbeRequestReading {
    std::optional<ProbeRequest> request;
    std::string refusal;
};

// targets: every value of the "target" parameter; timeout: the "timeout" parameter, seconds as
// orvane::parseSeconds reads them, the monitor's time-out when absent; scrapeTimeout:
// Prometheus' X-Prometheus-Scrape-Timeout-Seconds header (one that is no such number is
// ignored). The time-out is capped by the scrape time-out, so that the answer reaches Prometheus
// in time, and by maximumMs, the exporter's own bound, whatever the client asks.
ProbeRequestReading readProbeRequest(const std::vector<std::string> &targets,
                                     const std::optional<std::string> &timeout,
                                     const std::optional<std::string> &scrapeTimeout,
                                     std::uint32_t maximumMs);

// The longest time-out that still answers within a scrape time-out: 0.5 s less, as probing
// exporters leave for the answer's way, or half of it when it is a second or less.
std::uint32_t timeoutWithinScrape(std::uint32_t scrapeTimeoutMs);

// How late a probe may always start, also when its time-out fills the whole time it is given:
// the time left for the answer's way covers it.
inline constexpr std::uint32_t kStartAllowanceMs = 250;

} // namespace orvaneexporter
