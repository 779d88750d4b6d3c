#include "CheckReport.h"

#include "DeviceKind.h"
#include "TextSafety.h"

#include <cstdio>

namespace orvanecheck {

namespace {

const char *const kServiceName = "ORVANE";

std::string formatFixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

const char *stateName(OrvaneState state) {
    switch (state) {
    case ORVANE_NOT_REACHABLE:
        return "ORVANE_NOT_REACHABLE";
    case ORVANE_USED_BY_OTHER_PC:
        return "ORVANE_USED_BY_OTHER_PC";
    case ORVANE_USED_BY_THIS_PC:
        return "ORVANE_USED_BY_THIS_PC";
    case ORVANE_AVAILABLE:
        return "ORVANE_AVAILABLE";
    }
    return "unknown";
}

// captureORVANE "NAME", or just Relay Host, which names itself with nothing.
std::string deviceLabel(const CheckOutcome &outcome) {
    const std::string kind = pszDeviceKindName(outcome.replyName.c_str());
    if (outcome.replyName.empty()) {
        return kind;
    }
    return kind + " \"" + escapeForStatusLine(outcome.replyName) + "\"";
}

std::string answerText(const CheckOutcome &outcome) {
    switch (outcome.state) {
    case ORVANE_AVAILABLE:
        return "available";
    case ORVANE_USED_BY_THIS_PC:
        return "used by this PC";
    case ORVANE_USED_BY_OTHER_PC:
        break;
    case ORVANE_NOT_REACHABLE:
        return "not reachable";
    }
    if (!outcome.userAddressKnown) {
        return "used by another PC";
    }
    const std::string name =
        outcome.userName.empty() ? "" : escapeForStatusLine(outcome.userName) + ", ";
    return "used by another PC (" + name +
           escapeForStatusLine(trimTrailingWhitespace(outcome.userAddress)) + ")";
}

std::string thresholdField(const std::optional<std::uint32_t> &thresholdMs) {
    return thresholdMs ? std::to_string(*thresholdMs) : "";
}

std::string performanceData(const CheckOutcome &outcome) {
    return "rtt=" + formatFixed(outcome.rttMs, 3) + "ms;" +
           thresholdField(outcome.thresholds.warningMs) + ";" +
           thresholdField(outcome.thresholds.criticalMs) + ";0;" +
           std::to_string(outcome.timeoutMs);
}

// Why a reply that would be OK (or WARNING) is worse: ", but the answer took 312.4 ms (warning
// above 200 ms)"; nothing when the answer was fast enough. Milliseconds, as in the performance
// data, so that 200.4 never reads as the threshold itself.
std::string slownessText(const CheckOutcome &outcome) {
    const PluginStatus slowness = slownessStatus(outcome);
    if (slowness == PluginStatus::Ok) {
        return "";
    }
    const bool critical = slowness == PluginStatus::Critical;
    const std::uint32_t thresholdMs =
        critical ? *outcome.thresholds.criticalMs : *outcome.thresholds.warningMs;
    return ", but the answer took " + formatFixed(outcome.rttMs, 1) + " ms (" +
           (critical ? "critical" : "warning") + " above " + std::to_string(thresholdMs) + " ms)";
}

std::string failureText(const CheckOutcome &outcome) {
    std::string text = "result " + std::to_string(outcome.resultCode) + " (" +
                       describeResultCode(outcome.resultCode) + ")";
    const std::string detail = networkErrorText(outcome);
    if (!detail.empty()) {
        text += ": " + detail;
    }
    return text;
}

// In words of its own: the system's may be a bare number ("Unknown error 10051" under wine). The
// network layer's line, with the system's words, follows the status line.
std::string noRouteText(const CheckOutcome &outcome) {
    return "the network to " + outcome.address + " is unreachable";
}

// What went wrong, for the JSON's error field; empty when nothing did.
std::string errorText(const CheckOutcome &outcome) {
    if (outcome.resultCode != 0) {
        return failureText(outcome);
    }
    return outcome.noRoute ? noRouteText(outcome) : "";
}

std::string messageText(const CheckOutcome &outcome) {
    if (outcome.resultCode != 0) {
        return "query of " + outcome.address + " failed with " + failureText(outcome);
    }
    if (outcome.noRoute) {
        return noRouteText(outcome);
    }
    if (!hasAnswer(outcome)) {
        return "no answer from " + outcome.address + " within " + formatSeconds(outcome.timeoutMs) +
               " s";
    }
    return deviceLabel(outcome) + " " + answerText(outcome) + slownessText(outcome) + " | " +
           performanceData(outcome);
}

std::string jsonOrNull(bool present, const std::string &json) {
    return present ? json : "null";
}

std::string jsonMessages(const CheckOutcome &outcome) {
    std::string json = "[";
    for (const std::string &line : outcome.networkMessages) {
        json += (json.size() > 1 ? "," : "") + jsonString(line);
    }
    return json + "]";
}

} // namespace

std::string formatSeconds(std::uint32_t milliseconds) {
    std::string text = formatFixed(milliseconds / 1000.0, 3);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') {
        text.pop_back();
    }
    return text;
}

std::string describeResultCode(std::uint32_t resultCode) {
    switch (resultCode) {
    case ERR_QUERY_REPLY:
        return "the reply holds no \"#\"";
    case ERR_QUERY_SOCKET:
        return "the query socket could not be created or set up";
    case ERR_QUERY_TRANSFER:
        return "sending the request or receiving the reply failed";
    case ERR_SOCKETS_NOT_INITIALISED:
        return "the sockets could not be started";
    default:
        return "unexpected result";
    }
}

std::string networkErrorText(const CheckOutcome &outcome) {
    if (outcome.networkMessages.empty()) {
        return "";
    }
    // The lines read "<routine>: <what failed>"; the routine's name says nothing to a user.
    const std::string &line = outcome.networkMessages.front();
    const std::size_t separator = line.find(": ");
    const std::string text = separator == std::string::npos ? line : line.substr(separator + 2);
    return escapeForStatusLine(trimTrailingWhitespace(text));
}

std::string statusLine(const CheckOutcome &outcome) {
    return std::string(kServiceName) + " " + pluginStatusName(pluginStatusFor(outcome)) + " - " +
           messageText(outcome);
}

std::string pluginOutput(const CheckOutcome &outcome) {
    std::string output = statusLine(outcome) + "\n";
    for (const std::string &line : outcome.networkMessages) {
        output += escapeForStatusLine(trimTrailingWhitespace(line)) + "\n";
    }
    return output;
}

std::string usageErrorLine(const std::string &message) {
    return std::string(kServiceName) + " UNKNOWN - " + message;
}

std::string jsonReport(const CheckOutcome &outcome) {
    const PluginStatus status = pluginStatusFor(outcome);
    const bool succeeded = outcome.resultCode == 0;
    const bool answered = hasAnswer(outcome);
    std::string json = "{";
    json += "\"address\":" + jsonString(outcome.address);
    json += ",\"status\":" + jsonString(pluginStatusName(status));
    json += ",\"exit_code\":" + std::to_string(static_cast<int>(status));
    json += ",\"result\":" + std::to_string(outcome.resultCode);
    const std::string error = errorText(outcome);
    json += ",\"error\":" + jsonOrNull(!error.empty(), jsonString(error));
    json += ",\"state\":" + jsonOrNull(succeeded, std::to_string(outcome.state));
    json += ",\"state_name\":" + jsonOrNull(succeeded, jsonString(stateName(outcome.state)));
    json += ",\"reply_name\":" + jsonOrNull(answered, jsonString(outcome.replyName));
    json += ",\"device_kind\":" +
            jsonOrNull(answered, jsonString(pszDeviceKindName(outcome.replyName.c_str())));
    json += ",\"user_address\":" +
            jsonOrNull(answered && outcome.userAddressKnown, jsonString(outcome.userAddress));
    json += ",\"user_name\":" +
            jsonOrNull(answered && !outcome.userName.empty(), jsonString(outcome.userName));
    json += ",\"rtt_ms\":" + jsonOrNull(answered, formatFixed(outcome.rttMs, 3));
    json += ",\"timeout_ms\":" + std::to_string(outcome.timeoutMs);
    json += ",\"warning_ms\":" + jsonOrNull(outcome.thresholds.warningMs.has_value(),
                                            thresholdField(outcome.thresholds.warningMs));
    json += ",\"critical_ms\":" + jsonOrNull(outcome.thresholds.criticalMs.has_value(),
                                             thresholdField(outcome.thresholds.criticalMs));
    json += ",\"messages\":" + jsonMessages(outcome);
    return json + "}\n";
}

} // namespace orvanecheck
