#include "CheckOutcome.h"

#include <algorithm>

namespace orvanecheck {

namespace {

PluginStatus answerStatus(const CheckOutcome &outcome) {
    if (outcome.resultCode != 0) {
        return PluginStatus::Unknown;
    }
    switch (outcome.state) {
    case ORVANE_AVAILABLE:
    case ORVANE_USED_BY_THIS_PC:
        return PluginStatus::Ok;
    case ORVANE_USED_BY_OTHER_PC:
        return PluginStatus::Warning;
    case ORVANE_NOT_REACHABLE:
        return PluginStatus::Critical;
    }
    return PluginStatus::Unknown; // a state the query never writes
}

bool slowerThan(const CheckOutcome &outcome, const std::optional<std::uint32_t> &thresholdMs) {
    return thresholdMs.has_value() && outcome.rttMs > *thresholdMs;
}

} // namespace

bool hasAnswer(const CheckOutcome &outcome) {
    return outcome.resultCode == 0 && outcome.state != ORVANE_NOT_REACHABLE;
}

PluginStatus slownessStatus(const CheckOutcome &outcome) {
    if (!hasAnswer(outcome)) {
        return PluginStatus::Ok;
    }
    if (slowerThan(outcome, outcome.thresholds.criticalMs)) {
        return PluginStatus::Critical;
    }
    if (slowerThan(outcome, outcome.thresholds.warningMs)) {
        return PluginStatus::Warning;
    }
    return PluginStatus::Ok;
}

// The statuses are ordered by severity; UNKNOWN comes only without an answer, so never meets a
// slowness status other than OK.
PluginStatus pluginStatusFor(const CheckOutcome &outcome) {
    return std::max(answerStatus(outcome), slownessStatus(outcome));
}

const char *pluginStatusName(PluginStatus status) {
    switch (status) {
    case PluginStatus::Ok:
        return "OK";
    case PluginStatus::Warning:
        return "WARNING";
    case PluginStatus::Critical:
        return "CRITICAL";
    case PluginStatus::Unknown:
        break;
    }
    return "UNKNOWN";
}

} // namespace orvanecheck
