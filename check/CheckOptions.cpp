#include "CheckOptions.h"

#include "CheckReport.h"
#include "DeviceAddress.h"
#include "TextSafety.h"

#include <algorithm>
#include <regex>

namespace orvanecheck {

namespace {

// An option with a value may be written "-t 2", "-t2", "--timeout 2" or "--timeout=2".
// Returns true when args[index] is that option; value is then set, or error when it is missing.
bool takeValue(const std::vector<std::string> &args, std::size_t &index,
               const std::string &shortName, const std::string &longName, std::string &value,
               std::string &error) {
    const std::string &arg = args[index];
    if (arg == shortName || arg == longName) {
        if (index + 1 >= args.size()) {
            error = "option " + escapeForStatusLine(arg) + " needs a value";
            return true;
        }
        value = args[++index];
        return true;
    }
    if (arg.size() > shortName.size() && arg.compare(0, shortName.size(), shortName) == 0 &&
        arg.compare(0, 2, "--") != 0) {
        value = arg.substr(shortName.size());
        return true;
    }
    const std::string longPrefix = longName + "=";
    if (arg.compare(0, longPrefix.size(), longPrefix) == 0) {
        value = arg.substr(longPrefix.size());
        return true;
    }
    return false;
}

// Reads the value of a seconds option; what names the option in the reason for a refusal.
bool readSeconds(const std::string &value, const std::string &what, std::uint32_t &milliseconds,
                 std::string &error) {
    if (parseSeconds(value, milliseconds)) {
        return true;
    }
    error = what + " \"" + escapeForStatusLine(value) + "\" is not a number of seconds from " +
            acceptedSecondsText();
    return false;
}

bool readThreshold(const std::string &value, const std::string &name,
                   std::optional<std::uint32_t> &thresholdMs, std::string &error) {
    std::uint32_t milliseconds = 0;
    if (!readSeconds(value, name + " threshold", milliseconds, error)) {
        return false;
    }
    thresholdMs = milliseconds;
    return true;
}

// An answer never comes later than the time-out, so a threshold above it could never be reached:
// refused rather than silently ignored.
std::string thresholdError(const CheckOptions &options) {
    const RttThresholds &limits = options.thresholds;
    const std::pair<const char *, std::optional<std::uint32_t>> thresholds[] = {
        {"warning", limits.warningMs}, {"critical", limits.criticalMs}};
    for (const auto &[name, thresholdMs] : thresholds) {
        if (thresholdMs && *thresholdMs > options.timeoutMs) {
            return std::string(name) + " threshold " + formatSeconds(*thresholdMs) +
                   " s is above the time-out " + formatSeconds(options.timeoutMs) +
                   " s, so no answer could reach it";
        }
    }
    if (limits.warningMs && limits.criticalMs && *limits.warningMs > *limits.criticalMs) {
        return "warning threshold " + formatSeconds(*limits.warningMs) +
               " s is above the critical threshold " + formatSeconds(*limits.criticalMs) + " s";
    }
    return "";
}

CheckOptions usageError(const std::string &message) {
    CheckOptions options;
    options.action = CheckAction::UsageError;
    options.error = message;
    return options;
}

} // namespace

std::string acceptedSecondsText() {
    return formatSeconds(orvane::kCheckMinimumMs) + " to " + formatSeconds(orvane::kCheckMaximumMs);
}

bool parseSeconds(const std::string &text, std::uint32_t &result) {
    static const std::regex decimal(R"((?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+))", std::regex::ECMAScript);
    if (!std::regex_match(text, decimal)) {
        return false;
    }
    // Whole milliseconds in integer arithmetic: exact, and no locale or "inf" can get in.
    const std::size_t point = std::min(text.find('.'), text.size());
    std::uint64_t milliseconds = 0;
    for (std::size_t i = 0; i < point; ++i) {
        milliseconds = milliseconds * 10 + static_cast<std::uint64_t>(text[i] - '0') * 1000;
        if (milliseconds > orvane::kCheckMaximumMs) {
            return false;
        }
    }
    const std::string fraction = point < text.size() ? text.substr(point + 1) : std::string();
    const std::uint64_t scale[] = {100, 10, 1};
    for (std::size_t i = 0; i < fraction.size() && i < 3; ++i) {
        milliseconds += static_cast<std::uint64_t>(fraction[i] - '0') * scale[i];
    }
    if (fraction.size() > 3 && fraction[3] >= '5') {
        ++milliseconds; // rounded to the nearest millisecond
    }
    if (milliseconds < orvane::kCheckMinimumMs || milliseconds > orvane::kCheckMaximumMs) {
        return false;
    }
    result = static_cast<std::uint32_t>(milliseconds);
    return true;
}

CheckOptions parseCheckOptions(const std::vector<std::string> &args) {
    CheckOptions options;
    bool haveAddress = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        std::string value;
        std::string error;
        if (arg == "-h" || arg == "--help") {
            options.action = CheckAction::ShowHelp;
            return options;
        }
        if (arg == "-V" || arg == "--version") {
            options.action = CheckAction::ShowVersion;
            return options;
        }
        if (arg == "--json") {
            options.json = true;
        } else if (takeValue(args, i, "-H", "--hostname", value, error)) {
            if (!error.empty()) {
                return usageError(error);
            }
            if (!bIsDeviceAddress(value)) {
                return usageError("\"" + escapeForStatusLine(value) +
                                  "\" is not an IPv4 address in dotted-quad form such as "
                                  "192.168.1.10");
            }
            options.address = value;
            haveAddress = true;
        } else if (takeValue(args, i, "-t", "--timeout", value, error)) {
            if (!error.empty() || !readSeconds(value, "time-out", options.timeoutMs, error)) {
                return usageError(error);
            }
        } else if (takeValue(args, i, "-w", "--warning", value, error)) {
            if (!error.empty() ||
                !readThreshold(value, "warning", options.thresholds.warningMs, error)) {
                return usageError(error);
            }
        } else if (takeValue(args, i, "-c", "--critical", value, error)) {
            if (!error.empty() ||
                !readThreshold(value, "critical", options.thresholds.criticalMs, error)) {
                return usageError(error);
            }
        } else {
            return usageError("unknown argument \"" + escapeForStatusLine(arg) + "\"");
        }
    }
    if (!haveAddress) {
        return usageError("no device address given (-H ADDRESS)");
    }
    const std::string refusal = thresholdError(options);
    if (!refusal.empty()) {
        return usageError(refusal);
    }
    options.action = CheckAction::Run;
    return options;
}

} // namespace orvanecheck
