#include "ExporterMetrics.h"

#include "Exposition.h"
#include "OrvaneIdentity.h"
#include "ProbeQueue.h"

#include <cstdio>

namespace orvaneexporter {

namespace {

std::string bucketBound(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

} // namespace

ExporterMetrics::ExporterMetrics() {
    for (const char *cause : kFailureCauses) {
        failures[cause] = 0;
    }
    for (const char *cause : kRefusalCauses) {
        refusals[cause] = 0;
    }
}

void ExporterMetrics::record(const ProbeResult &result) {
    const std::lock_guard<std::mutex> lock(mutex);
    ++probes;
    if (const char *cause = failureCause(result)) {
        ++failures[cause];
    }
    for (std::size_t i = 0; i < kBuckets.size(); ++i) {
        if (result.durationSeconds <= kBuckets[i]) {
            ++bucketCounts[i];
            break;
        }
    }
    durationSum += result.durationSeconds;
}

void ExporterMetrics::refused(const char *cause) {
    const std::lock_guard<std::mutex> lock(mutex);
    ++refusals[cause];
}

std::string ExporterMetrics::exposition(const ProbeLoad &load) const {
    const std::lock_guard<std::mutex> lock(mutex);
    std::string text =
        metricHeader("orvane_exporter_build_info", "gauge", "The exporter's version.") +
        "orvane_exporter_build_info{version=\"" + labelValue(orvane::kVersion) + "\"} 1\n" +
        metricHeader("orvane_exporter_probes_total", "counter", "Probes run since the start.") +
        "orvane_exporter_probes_total " + std::to_string(probes) + "\n" +
        metricHeader("orvane_exporter_probe_failures_total", "counter",
                     "Probes that did not succeed, by cause.");
    for (const auto &[cause, count] : failures) {
        text += "orvane_exporter_probe_failures_total{cause=\"" + labelValue(cause) + "\"} " +
                std::to_string(count) + "\n";
    }
    text += metricHeader("orvane_exporter_probe_duration_seconds", "histogram",
                         "How long probes took.");
    std::uint64_t cumulative = 0;
    for (std::size_t i = 0; i < kBuckets.size(); ++i) {
        cumulative += bucketCounts[i];
        text += "orvane_exporter_probe_duration_seconds_bucket{le=\"" + bucketBound(kBuckets[i]) +
                "\"} " + std::to_string(cumulative) + "\n";
    }
    text += "orvane_exporter_probe_duration_seconds_bucket{le=\"+Inf\"} " + std::to_string(probes) +
            "\n" + "orvane_exporter_probe_duration_seconds_sum " + sampleValue(durationSum) + "\n" +
            "orvane_exporter_probe_duration_seconds_count " + std::to_string(probes) + "\n" +
            metricHeader("orvane_exporter_probes_in_flight", "gauge",
                         "Probes waiting for their device now.") +
            "orvane_exporter_probes_in_flight " + std::to_string(load.running) + "\n" +
            metricHeader("orvane_exporter_probes_queued", "gauge",
                         "Probes waiting for a free worker now.") +
            "orvane_exporter_probes_queued " + std::to_string(load.waiting) + "\n" +
            metricHeader("orvane_exporter_requests_refused_total", "counter",
                         "Requests answered without a probe result, by cause.");
    for (const auto &[cause, count] : refusals) {
        text += "orvane_exporter_requests_refused_total{cause=\"" + labelValue(cause) + "\"} " +
                std::to_string(count) + "\n";
    }
    return text;
}

} // namespace orvaneexporter
