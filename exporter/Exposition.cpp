#include "Exposition.h"

#include "ByteText.h"
#include "DeviceKind.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace orvaneexporter {

namespace {

struct StateSeries {
    OrvaneState state;
    const char *label;
};

constexpr StateSeries kStates[] = {
    {ORVANE_AVAILABLE, "available"},
    {ORVANE_USED_BY_THIS_PC, "used_by_this_pc"},
    {ORVANE_USED_BY_OTHER_PC, "used_by_other_pc"},
    {ORVANE_NOT_REACHABLE, "not_reachable"},
};

bool hasState(const ProbeResult &result) {
    return result.answer.dwResult == 0;
}

std::string stateLines(const ProbeResult &result) {
    std::string text = metricHeader("orvane_state", "gauge",
                                    "The device's state: 1 for the current one, 0 for the others.");
    for (const StateSeries &series : kStates) {
        text += std::string("orvane_state{state=\"") + series.label + "\"} " +
                (result.answer.eState == series.state ? "1" : "0") + "\n";
    }
    return text;
}

// The holder is known only for a device in use; a free one names "0.0.0.0" or the like.
std::string infoLines(const ProbeResult &result) {
    const OrvaneAnswer &answer = result.answer;
    const std::string holder = answer.eState == ORVANE_AVAILABLE ? "" : answer.sUser;
    return metricHeader("orvane_device_info", "gauge",
                        "What the device's answer says: its name, its kind and the address of "
                        "the PC that holds it (empty when free).") +
           "orvane_device_info{name=\"" + labelValue(readableBytes(answer.sName)) + "\",kind=\"" +
           labelValue(pszDeviceKindName(answer.sName.c_str())) + "\",holder=\"" +
           labelValue(readableBytes(holder)) + "\"} 1\n";
}

} // namespace

std::string readableBytes(const std::string &bytes) {
    return orvane::escapeBytes(bytes, "", orvane::Backslash::Kept);
}

std::string labelValue(const std::string &text) {
    std::string value;
    value.reserve(text.size());
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            value += '\\';
            value += c;
        } else if (c == '\n') {
            value += "\\n";
        } else {
            value += c;
        }
    }
    return value;
}

std::string metricHeader(const char *name, const char *type, const char *help) {
    return std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

std::string sampleValue(double value) {
    char text[64];
    const char *format = value == std::floor(value) && std::fabs(value) < 1e15 ? "%.0f" : "%.6f";
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string probeExposition(const ProbeResult &result) {
    std::string text =
        metricHeader("orvane_probe_success", "gauge",
                     "1 when the device answered with its state, 0 when it did not answer "
                     "within the time-out, no network reaches it, or its reply was unreadable.") +
        "orvane_probe_success " + (probeSucceeded(result) ? "1" : "0") + "\n" +
        metricHeader("orvane_probe_duration_seconds", "gauge", "How long the probe took.") +
        "orvane_probe_duration_seconds " + sampleValue(result.durationSeconds) + "\n";
    if (hasState(result)) {
        text += stateLines(result);
    }
    if (probeSucceeded(result)) {
        text += infoLines(result);
    }
    return text;
}

std::string historyExposition(const DeviceRow &row) {
    std::string text;
    if (row.since) {
        const double seconds = std::chrono::duration<double>(row.since->time_since_epoch()).count();
        text += metricHeader("orvane_state_change_timestamp_seconds", "gauge",
                             "When the exporter saw the device's state or holder change last, in "
                             "seconds since 1970; absent while the state first seen still holds.") +
                "orvane_state_change_timestamp_seconds " + sampleValue(seconds) + "\n";
    }
    if (!row.holder.empty()) {
        text += metricHeader("orvane_holder_info", "gauge",
                             "The PC that holds the device: its address as the device names it "
                             "and its host name (empty while none is known).") +
                "orvane_holder_info{holder=\"" + labelValue(readableBytes(row.holder)) +
                "\",holder_name=\"" + labelValue(readableBytes(row.holderName)) + "\"} 1\n";
    }
    return text;
}

} // namespace orvaneexporter
