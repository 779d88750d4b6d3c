#include "CheckOptions.h"

#include "CheckReport.h"
#include "DeviceAddress.h"
#include "TextSafety.h"

#include <getopt.h>

#include <algorithm>
#include <regex>

namespace orvanecheck {

namespace {

// "+": options end at the first other argument, which is refused, as in the order given. ":":
// a missing value is told apart from an unknown option.
constexpr char kShortOptions[] = "+:H:t:w:c:nhV";
constexpr int kJsonOption = 256; // --json has no short form
const option kLongOptions[] = {{"hostname", required_argument, nullptr, 'H'},
                               {"timeout", required_argument, nullptr, 't'},
                               {"warning", required_argument, nullptr, 'w'},
                               {"critical", required_argument, nullptr, 'c'},
                               {"no-names", no_argument, nullptr, 'n'},
                               {"json", no_argument, nullptr, kJsonOption},
                               {"help", no_argument, nullptr, 'h'},
                               {"version", no_argument, nullptr, 'V'},
                               {nullptr, 0, nullptr, 0}};

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
    // getopt_long wants a writable argv with the program's name first; its state is global, and
    // optind 0 starts it afresh for every command line.
    std::vector<std::string> texts = {"orvane-check"};
    texts.insert(texts.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    const int argc = static_cast<int>(texts.size());
    optind = 0;
    opterr = 0;

    CheckOptions options;
    bool haveAddress = false;
    for (;;) {
        // The argument that the next option comes from, as written, for the reasons of refusals.
        const std::string given = texts[std::min(std::max(optind, 1), argc - 1)];
        const int option = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr);
        if (option == -1) {
            break;
        }
        const std::string value = optarg != nullptr ? optarg : "";
        std::string error;
        switch (option) {
        case 'h':
            options.action = CheckAction::ShowHelp;
            return options;
        case 'V':
            options.action = CheckAction::ShowVersion;
            return options;
        case kJsonOption:
            options.json = true;
            break;
        case 'n':
            options.lookUpHolderName = false;
            break;
        case 'H':
            if (!bIsDeviceAddress(value)) {
                return usageError("\"" + escapeForStatusLine(value) +
                                  "\" is not an IPv4 address in dotted-quad form such as "
                                  "192.168.1.10");
            }
            options.address = value;
            haveAddress = true;
            break;
        case 't':
            if (!readSeconds(value, "time-out", options.timeoutMs, error)) {
                return usageError(error);
            }
            break;
        case 'w':
            if (!readThreshold(value, "warning", options.thresholds.warningMs, error)) {
                return usageError(error);
            }
            break;
        case 'c':
            if (!readThreshold(value, "critical", options.thresholds.criticalMs, error)) {
                return usageError(error);
            }
            break;
        case ':':
            return usageError("option " + escapeForStatusLine(given) + " needs a value");
        default:
            return usageError("unknown argument \"" + escapeForStatusLine(given) + "\"");
        }
    }
    if (optind < argc) {
        return usageError("unknown argument \"" + escapeForStatusLine(texts[optind]) + "\"");
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
