// What a /probe request asks for: the device, and how long to wait for it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvaneexporter {

struct ProbeRequest {
    std::string target;      // dotted quad, accepted by the address rule
    std::uint32_t timeoutMs; // handed to the query
};

// A request, or the one-line reason why there is none (the answer is then HTTP 400).
struct ProbeRequestReading {
    std::optional<ProbeRequest> request;
    std::string refusal;
};

// targets: every value of the "target" parameter; timeout: the "timeout" parameter, seconds with
// decimals, the range of orvane::parseSeconds, the monitor's time-out when absent; scrapeTimeout:
// Prometheus' X-Prometheus-Scrape-Timeout-Seconds header, which caps the time-out so that the
// answer reaches Prometheus in time (a header that is no such number is ignored).
ProbeRequestReading readProbeRequest(const std::vector<std::string> &targets,
                                     const std::optional<std::string> &timeout,
                                     const std::optional<std::string> &scrapeTimeout);

// The longest time-out that still answers within a scrape time-out: 0.5 s less, as probing
// exporters leave for the answer's way, or half of it when it is a second or less.
std::uint32_t timeoutWithinScrape(std::uint32_t scrapeTimeoutMs);

} // namespace orvaneexporter
