#include "ExporterLimits.h"

#include <algorithm>
#include <sys/resource.h>

namespace orvaneexporter {

namespace {

// What a probe may hold at once: its query socket, the socket that lists this PC's addresses,
// and the network layer's log file.
constexpr rlim_t kDescriptorsPerProbe = 3;
// The listening socket, the HTTP server's own, the standard streams, and /metrics' reading of
// /proc.
constexpr rlim_t kDescriptorsReserved = 32;

} // namespace

std::string fitDescriptorLimit(ExporterLimits &limits) {
    const rlim_t forProbes = kDescriptorsPerProbe * limits.probeWorkers + kDescriptorsReserved;
    const rlim_t needed = forProbes + limits.http.connections;
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < needed) {
        limit.rlim_cur = std::min(needed, limit.rlim_max);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur >= needed) {
        return "";
    }
    limits.http.connections =
        std::max<rlim_t>(limit.rlim_cur - std::min(limit.rlim_cur, forProbes), 1);
    limits.probesTaken = std::min(limits.probesTaken, limits.http.connections);
    return "the descriptor limit of " + std::to_string(limit.rlim_cur) + " leaves room for " +
           std::to_string(limits.http.connections) + " connections beside " +
           std::to_string(limits.probeWorkers) + " probes (" + std::to_string(needed) +
           " descriptors wanted)";
}

} // namespace orvaneexporter
