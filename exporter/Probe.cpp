#include "Probe.h"

#include "FailureLog.h"
#include "OutputSink.h"

#include <chrono>

namespace orvaneexporter {

namespace {

// The target of the probe that runs on this thread, for the lines the network layer prints.
thread_local const std::string *tlsProbeTarget = nullptr;

// "OrvaneMonitor::dwGetOrvaneState: Error receiving message: ..." without the routine's name,
// which says nothing to an admin.
std::string withoutRoutineName(const std::string &line) {
    const std::size_t separator = line.find(": ");
    return separator == std::string::npos ? line : line.substr(separator + 2);
}

} // namespace

void sendNetworkLinesTo(FailureLog &log) {
    orvane::setOutputSink([&log](const std::string &line) {
        const std::string target = tlsProbeTarget != nullptr ? *tlsProbeTarget : "-";
        log.write(target + ": " + withoutRoutineName(line));
    });
}

ProbeResult runProbe(const std::string &target, std::uint32_t timeoutMs) {
    ProbeResult result;
    tlsProbeTarget = &target;
    const auto start = std::chrono::steady_clock::now();
    result.answer = askOrvane(target.c_str(), timeoutMs);
    const auto stop = std::chrono::steady_clock::now();
    tlsProbeTarget = nullptr;
    result.durationSeconds = std::chrono::duration<double>(stop - start).count();
    return result;
}

bool probeSucceeded(const ProbeResult &result) {
    return failureCause(result) == nullptr;
}

const char *failureCause(const ProbeResult &result) {
    const OrvaneAnswer &answer = result.answer;
    switch (answer.dwResult) {
    case 0:
        if (answer.eState != ORVANE_NOT_REACHABLE) {
            return nullptr;
        }
        return answer.bNoRoute ? "no_route" : "no_answer";
    case ERR_QUERY_REPLY:
        return "bad_reply";
    case ERR_QUERY_SOCKET:
        return "socket";
    case ERR_QUERY_TRANSFER:
        return "transfer";
    default:
        return "other";
    }
}

} // namespace orvaneexporter
