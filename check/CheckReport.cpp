#include "CheckReport.h"

#include "ByteText.h"
#include "DeviceKind.h"
#include "Seconds.h"
#include "TextSafety.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <utility>

namespace orvanecheck {

using orvane::formatSeconds;
using orvane::trimTrailingWhitespace;

namespace {

const char *const kServiceName = "ORVANE";
const char *const kStatusNames[] = {"OK", "WARNING", "CRITICAL", "UNKNOWN"}; // by PluginStatus

// Each state by its value: its name in the JSON, its words in the status line, and the status of
// an answer in it.
struct StateFacts {
    const char *name;
    const char *words;
    PluginStatus status;
};
const StateFacts kStates[] = {
    {"ORVANE_NOT_REACHABLE", "not reachable", PluginStatus::Critical},
    {"ORVANE_USED_BY_OTHER_PC", "used by another PC", PluginStatus::Warning},
    {"ORVANE_USED_BY_THIS_PC", "used by this PC", PluginStatus::Ok},
    {"ORVANE_AVAILABLE", "available", PluginStatus::Ok}};

const StateFacts &factsOf(OrvaneState state) {
    static const StateFacts unknown = {"unknown", "", PluginStatus::Unknown}; // never written
    const auto index = static_cast<std::size_t>(state);
    return index < std::size(kStates) ? kStates[index] : unknown;
}

// What a result code means, in words.
std::string describeResultCode(std::uint32_t resultCode) {
    static const std::map<std::uint32_t, std::string> texts = {
        {ERR_QUERY_REPLY, "the reply holds no \"#\""},
        {ERR_QUERY_SOCKET, "the query socket could not be created or set up"},
        {ERR_QUERY_TRANSFER, "sending the request or receiving the reply failed"},
        {ERR_SOCKETS_NOT_INITIALISED, "the sockets could not be started"}};
    const auto known = texts.find(resultCode);
    return known != texts.end() ? known->second : "unexpected result";
}

std::string formatNumber(const char *format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// The threshold that the round-trip time passed, the critical one first, with its status; OK
// when none was (also when there was no answer, which has no round-trip time).
std::pair<PluginStatus, std::uint32_t> slowness(const CheckOutcome &outcome) {
    const RttThresholds &limits = outcome.thresholds;
    for (const auto &[status, thresholdMs] : {std::pair{PluginStatus::Critical, limits.criticalMs},
                                              std::pair{PluginStatus::Warning, limits.warningMs}}) {
        if (hasAnswer(outcome) && thresholdMs && outcome.rttMs > *thresholdMs) {
            return {status, *thresholdMs};
        }
    }
    return {PluginStatus::Ok, 0};
}

// captureORVANE "NAME", or just Relay Host, which names itself with nothing.
std::string deviceLabel(const CheckOutcome &outcome) {
    const std::string &name = outcome.answer.sName;
    return pszDeviceKindName(name.c_str()) +
           (name.empty() ? "" : " \"" + escapeForStatusLine(name) + "\"");
}

std::string answerText(const CheckOutcome &outcome) {
    const std::string words = factsOf(outcome.answer.eState).words;
    if (outcome.answer.eState != ORVANE_USED_BY_OTHER_PC) {
        return words;
    }
    const std::string name =
        outcome.userName.empty() ? "" : escapeForStatusLine(outcome.userName) + ", ";
    return words + " (" + name + escapeForStatusLine(trimTrailingWhitespace(outcome.answer.sUser)) +
           ")";
}

std::string thresholdField(const std::optional<std::uint32_t> &thresholdMs) {
    return thresholdMs ? std::to_string(*thresholdMs) : "";
}

std::string performanceData(const CheckOutcome &outcome) {
    return "rtt=" + formatNumber("%.3f", outcome.rttMs) + "ms;" +
           thresholdField(outcome.thresholds.warningMs) + ";" +
           thresholdField(outcome.thresholds.criticalMs) + ";0;" +
           std::to_string(outcome.timeoutMs);
}

// Why a reply that would be OK (or WARNING) is worse: ", but the answer took 312.4 ms (warning
// above 200 ms)"; nothing when the answer was fast enough. Milliseconds, as in the performance
// data, so that 200.4 never reads as the threshold itself.
std::string slownessText(const CheckOutcome &outcome) {
    const auto [status, thresholdMs] = slowness(outcome);
    if (status == PluginStatus::Ok) {
        return "";
    }
    return ", but the answer took " + formatNumber("%.1f", outcome.rttMs) + " ms (" +
           (status == PluginStatus::Critical ? "critical" : "warning") + " above " +
           std::to_string(thresholdMs) + " ms)";
}

// The network layer's first failure line without its routine name, or "" when it printed none.
std::string networkErrorText(const CheckOutcome &outcome) {
    if (outcome.networkMessages.empty()) {
        return "";
    }
    // The lines read "<routine>: <what failed>"; the routine's name says nothing to a user.
    const std::string &line = outcome.networkMessages.front();
    const std::size_t separator = line.find(": ");
    return escapeForStatusLine(
        trimTrailingWhitespace(separator == std::string::npos ? line : line.substr(separator + 2)));
}

// What went wrong, for the JSON's error field; empty when nothing did. No network to the device
// is told in words of its own: the system's may be a bare number ("Unknown error 10051" under
// wine). The network layer's line, with the system's words, follows the status line.
std::string errorText(const CheckOutcome &outcome) {
    if (outcome.answer.dwResult == 0) {
        return outcome.answer.bNoRoute ? "the network to " + outcome.address + " is unreachable"
                                       : "";
    }
    const std::string detail = networkErrorText(outcome);
    return "result " + std::to_string(outcome.answer.dwResult) + " (" +
           describeResultCode(outcome.answer.dwResult) + ")" +
           (detail.empty() ? "" : ": " + detail);
}

std::string messageText(const CheckOutcome &outcome) {
    const std::string error = errorText(outcome);
    if (outcome.answer.dwResult != 0) {
        return "query of " + outcome.address + " failed with " + error;
    }
    if (!error.empty()) {
        return error;
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

bool hasAnswer(const CheckOutcome &outcome) {
    return outcome.answer.dwResult == 0 && outcome.answer.eState != ORVANE_NOT_REACHABLE;
}

// UNKNOWN comes only without an answer, so never meets a slowness status other than OK.
PluginStatus pluginStatusFor(const CheckOutcome &outcome) {
    const PluginStatus answer = outcome.answer.dwResult != 0
                                    ? PluginStatus::Unknown
                                    : factsOf(outcome.answer.eState).status;
    return std::max(answer, slowness(outcome).first);
}

std::string statusLine(const CheckOutcome &outcome) {
    return std::string(kServiceName) + " " +
           kStatusNames[static_cast<int>(pluginStatusFor(outcome))] + " - " + messageText(outcome);
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
    const bool succeeded = outcome.answer.dwResult == 0;
    const bool answered = hasAnswer(outcome);
    const std::string error = errorText(outcome);
    const RttThresholds &limits = outcome.thresholds;
    const std::pair<const char *, std::string> fields[] = {
        {"address", jsonString(outcome.address)},
        {"status", jsonString(kStatusNames[static_cast<int>(status)])},
        {"exit_code", std::to_string(static_cast<int>(status))},
        {"result", std::to_string(outcome.answer.dwResult)},
        {"error", jsonOrNull(!error.empty(), jsonString(error))},
        {"state", jsonOrNull(succeeded, std::to_string(outcome.answer.eState))},
        {"state_name", jsonOrNull(succeeded, jsonString(factsOf(outcome.answer.eState).name))},
        {"reply_name", jsonOrNull(answered, jsonString(outcome.answer.sName))},
        {"device_kind",
         jsonOrNull(answered, jsonString(pszDeviceKindName(outcome.answer.sName.c_str())))},
        {"user_address", jsonOrNull(answered, jsonString(outcome.answer.sUser))},
        {"user_name",
         jsonOrNull(answered && !outcome.userName.empty(), jsonString(outcome.userName))},
        {"rtt_ms", jsonOrNull(answered, formatNumber("%.3f", outcome.rttMs))},
        {"timeout_ms", std::to_string(outcome.timeoutMs)},
        {"warning_ms", jsonOrNull(limits.warningMs.has_value(), thresholdField(limits.warningMs))},
        {"critical_ms",
         jsonOrNull(limits.criticalMs.has_value(), thresholdField(limits.criticalMs))},
        {"messages", jsonMessages(outcome)}};
    std::string json;
    for (const auto &[name, value] : fields) {
        json += (json.empty() ? "{\"" : ",\"") + std::string(name) + "\":" + value;
    }
    return json + "}\n";
}

} // namespace orvanecheck
