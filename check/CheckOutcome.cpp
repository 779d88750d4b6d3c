#include "CheckOutcome.h"

namespace orvanecheck {

bool hasAnswer(const CheckOutcome &outcome) {
    return outcome.resultCode == 0 && outcome.state != ORVANE_NOT_REACHABLE;
}

PluginStatus pluginStatusFor(const CheckOutcome &outcome) {
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
