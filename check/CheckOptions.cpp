#include "CheckOptions.h"

#include "DeviceAddress.h"
#include "Seconds.h"
#include "TextSafety.h"

#include <getopt.h>

#include <algorithm>
#include <optional>

namespace orvanecheck {

using orvane::acceptedSecondsText;
using orvane::formatSeconds;
using orvane::parseSeconds;

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

// The value of a seconds option; nothing, and the reason in error, for a value that is no number
// of seconds. what names the option in the reason.
std::optional<std::uint32_t> readSeconds(const std::string &value, const std::string &what,
                                         std::string &error) {
    std::uint32_t milliseconds = 0;
    if (parseSeconds(value, milliseconds)) {
        return milliseconds;
    }
    error = what + " \"" + escapeForStatusLine(value) + "\" is not a number of seconds from " +
            acceptedSecondsText();
    return std::nullopt;
}

// What is wrong with options read in full, or "". An answer never comes later than the time-out,
// so a threshold above it could never be reached: refused rather than silently ignored.
std::string refusalOf(const CheckOptions &options) {
    if (options.address.empty()) {
        return "no device address given (-H ADDRESS)";
    }
    const RttThresholds &limits = options.thresholds;
    for (const auto &[name, thresholdMs] :
         {std::pair{"warning", limits.warningMs}, std::pair{"critical", limits.criticalMs}}) {
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

std::string unknownArgument(const std::string &given) {
    return "unknown argument \"" + escapeForStatusLine(given) + "\"";
}

} // namespace

CheckOptions parseCheckOptions(std::vector<std::string> texts) {
    // getopt_long wants a writable argv with the program's name first and a null pointer last; its
    // state is global, and optind 0 starts it afresh for every command line.
    texts.insert(texts.begin(), "orvane-check");
    std::vector<char *> argv(texts.size() + 1);
    std::transform(texts.begin(), texts.end(), argv.begin(),
                   [](auto &text) { return text.data(); });
    const int argc = static_cast<int>(texts.size());
    optind = 0;
    opterr = 0;

    CheckOptions options;
    std::string error;
    for (int option = 0; option != -1 && error.empty();) {
        // The argument that the next option comes from, as written, for the reasons of refusals.
        const std::string given = texts[std::min(std::max(optind, 1), argc - 1)];
        option = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr);
        const std::string value = optarg != nullptr ? optarg : "";
        switch (option) {
        case -1:
            error = optind < argc ? unknownArgument(texts[optind]) : refusalOf(options);
            break;
        case 'h':
        case 'V':
            options.action = option == 'h' ? CheckAction::ShowHelp : CheckAction::ShowVersion;
            return options;
        case kJsonOption:
            options.json = true;
            break;
        case 'n':
            options.lookUpHolderName = false;
            break;
        case 'H':
            options.address = value;
            if (!bIsDeviceAddress(value)) {
                error = "\"" + escapeForStatusLine(value) +
                        "\" is not an IPv4 address in dotted-quad form such as 192.168.1.10";
            }
            break;
        case 't':
            options.timeoutMs = readSeconds(value, "time-out", error).value_or(options.timeoutMs);
            break;
        case 'w':
            options.thresholds.warningMs = readSeconds(value, "warning threshold", error);
            break;
        case 'c':
            options.thresholds.criticalMs = readSeconds(value, "critical threshold", error);
            break;
        case ':':
            error = "option " + escapeForStatusLine(given) + " needs a value";
            break;
        default:
            error = unknownArgument(given);
        }
    }
    // A refused command line says why; the other values then mean nothing.
    options.action = error.empty() ? CheckAction::Run : CheckAction::UsageError;
    options.error = error;
    return options;
}

std::string usageSynopsis() {
    return "Usage: orvane-check -H ADDRESS [-t SECONDS] [-w SECONDS] [-c SECONDS] [-n] [--json] "
           "[-h] [-V]\n";
}

std::string versionText() {
    return std::string("orvane-check ") + orvane::kVersion + "\n";
}

std::string helpText() {
    return versionText() + "\n" +
           "Asks one Orvane device (captureORVANE, sourceORVANE or Relay Host) once whether it is\n"
           "free, and answers as a monitoring plugin: one status line and an exit code.\n\n" +
           usageSynopsis() +
           "\n"
           "Options:\n"
           " -H, --hostname=ADDRESS  IPv4 address of the device, dotted quad (192.168.1.10)\n"
           " -t, --timeout=SECONDS   how long to wait for the answer; decimals allowed\n"
           "                         (" +
           acceptedSecondsText() + ", default " + formatSeconds(orvane::kDefaultTimeoutMs) +
           ")\n"
           " -w, --warning=SECONDS   WARNING when the answer took longer (at most the time-out)\n"
           " -c, --critical=SECONDS  CRITICAL when the answer took longer (at most the time-out,\n"
           "                         at least the warning threshold)\n"
           " -n, --no-names          no lookup of the host name of the PC that holds the\n"
           "                         device (the lookup keeps within the time-out)\n"
           "     --json              print one JSON object instead of the status line\n"
           " -h, --help              print this help\n"
           " -V, --version           print the version\n"
           "\n"
           "Status line and exit code:\n"
           " 0 OK        the device is available or used by this PC\n"
           " 1 WARNING   the device is used by another PC (its address is in the line, after\n"
           "             its host name when the resolver gives it within the time-out), or\n"
           "             the answer took longer than the warning threshold\n"
           " 2 CRITICAL  no answer within the time-out, no network to the device (network or\n"
           "             host unreachable), or the answer took longer than the critical\n"
           "             threshold\n"
           " 3 UNKNOWN   protocol or socket error (result code and error text in the line),\n"
           "             or a wrong command line\n"
           "\n"
           "Example, a device that answers within the warning threshold:\n"
           "  $ orvane-check -H 192.168.1.10 -t 0.5 -w 0.2 -c 0.4\n"
           "\n"
           "  ORVANE OK - captureORVANE \"CAPTURE-12\" available | rtt=0.210ms;200;400;0;500\n"
           "\n"
           "The performance data rtt is the time the query took, in milliseconds, with the\n"
           "thresholds as warn and crit and the time-out as maximum. The time-out ends the\n"
           "wait, so an answer is never slower than it: a threshold above the time-out is\n"
           "refused. Lines the network layer prints about a failure follow the status line.\n"
           "Bytes of the device's reply that are not printable ASCII, and the characters\n"
           "| \" \\, are shown as \\xNN.\n"
           "\n"
           "--json fields: address, status, exit_code, result, error, state, state_name,\n"
           "reply_name, device_kind, user_address, user_name, rtt_ms, timeout_ms, warning_ms,\n"
           "critical_ms, messages. Fields that do not apply are null. Reply bytes outside\n"
           "printable ASCII are written as \\u00NN.\n"
           "\n"
           "Service definitions for Icinga 2 and Nagios, as tested with both engines:\n"
           "/usr/share/doc/orvane-monitor/README-orvane-check.md\n";
}

} // namespace orvanecheck
