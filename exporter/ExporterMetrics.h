// The exporter's own counters, for /metrics: probes, failed probes by cause, how long probes
// took, and requests refused by cause. Safe to update from many threads at once.
#pragma once

#include "Probe.h"

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace orvaneexporter {

struct ProbeLoad;

// Why a request got no probe result: a wrong request (400: target or time-out), the bounds of
// HttpServer ("body", "method", "slow", "unread") and of ProbeQueue ("queue_full", "deadline",
// "stopping").
inline constexpr std::array<const char *, 8> kRefusalCauses = {
    "bad_request", "body", "method", "slow", "unread", "queue_full", "deadline", "stopping"};

class ExporterMetrics {
public:
    ExporterMetrics();

    void record(const ProbeResult &result);
    void refused(const char *cause);

    // The counters in the text format, with the probes running and waiting now.
    std::string exposition(const ProbeLoad &load) const;

private:
    // Upper bounds of the duration histogram's buckets, in seconds; +Inf follows.
    static constexpr std::array<double, 14> kBuckets = {
        0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};

    mutable std::mutex mutex;
    std::uint64_t probes = 0;
    std::map<std::string, std::uint64_t> failures; // by cause, every cause from the start
    std::array<std::uint64_t, kBuckets.size()> bucketCounts{}; // not cumulative
    double durationSum = 0.0;
    std::map<std::string, std::uint64_t> refusals; // by cause, every cause from the start
};

} // namespace orvaneexporter
