#include "ExporterOptions.h"

#include "Exposition.h"
#include "OrvaneIdentity.h"
#include "Seconds.h"

#include <arpa/inet.h>
#include <getopt.h>
#include <regex>

namespace orvaneexporter {

namespace {

bool isAddressLiteral(int family, const std::string &text) {
    unsigned char buffer[sizeof(in6_addr)];
    return ::inet_pton(family, text.c_str(), buffer) == 1;
}

// The option getopt_long stopped at: a short one by its letter (it may stand in a cluster such as
// -hx), a long one as written.
std::string offendingOption(char **argv) {
    return optopt != 0 ? std::string("-") + char(optopt) : readableBytes(argv[optind - 1]);
}

ExporterOptions usageError(const std::string &message) {
    ExporterOptions options;
    options.action = ExporterAction::UsageError;
    options.error = message;
    return options;
}

} // namespace

bool parseListenAddress(const std::string &text, std::string *address, int *port) {
    static const std::regex form(R"((\[([^\]]*)\]|[^:\[\]]*):([0-9]{1,5}))");
    std::smatch parts;
    if (!std::regex_match(text, parts, form)) {
        return false;
    }
    const bool bracketed = parts[2].matched;
    const std::string host = bracketed ? parts[2].str() : parts[1].str();
    if (!isAddressLiteral(bracketed ? AF_INET6 : AF_INET, host)) {
        return false;
    }
    *port = std::stoi(parts[3].str());
    *address = host;
    return *port >= 1 && *port <= 65535;
}

ExporterOptions parseExporterOptions(int argc, char **argv) {
    static const option longOptions[] = {
        {"listen", required_argument, nullptr, 'l'},
        {"max-timeout", required_argument, nullptr, 'm'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    ExporterOptions options;
    opterr = 0; // the refusal below says what was wrong
    optind = 0;
    int choice = 0;
    while ((choice = getopt_long(argc, argv, ":l:m:hV", longOptions, nullptr)) != -1) {
        switch (choice) {
        case 'l':
            if (!parseListenAddress(optarg, &options.listenAddress, &options.listenPort)) {
                return usageError("--listen \"" + readableBytes(optarg) +
                                  "\" is not ADDRESS:PORT such as 127.0.0.1:9759 or [::1]:9759");
            }
            break;
        case 'm':
            if (!orvane::parseSeconds(optarg, options.maxTimeoutMs) ||
                options.maxTimeoutMs > kLongestMaxTimeoutMs) {
                return usageError("--max-timeout \"" + readableBytes(optarg) +
                                  "\" is not a number of seconds from " +
                                  orvane::formatSeconds(orvane::kCheckMinimumMs) + " to " +
                                  orvane::formatSeconds(kLongestMaxTimeoutMs));
            }
            break;
        case 'h':
            options.action = ExporterAction::ShowHelp;
            return options;
        case 'V':
            options.action = ExporterAction::ShowVersion;
            return options;
        case ':':
            return usageError("option " + offendingOption(argv) + " needs a value");
        default:
            return usageError("unknown option " + offendingOption(argv));
        }
    }
    if (optind < argc) {
        return usageError("unexpected argument " + readableBytes(argv[optind]));
    }
    return options;
}

std::string exporterVersionText() {
    return std::string("orvane-exporter ") + orvane::kVersion + "\n";
}

std::string exporterUsage() {
    return "Usage: orvane-exporter [--listen ADDRESS:PORT] [--max-timeout SECONDS] [-h] [-V]\n";
}

std::string exporterHelpText() {
    const ExporterLimits limits;
    const auto count = [](std::size_t value) { return std::to_string(value); };
    return exporterVersionText() +
           "\n"
           "Answers Prometheus: asks an Orvane device (captureORVANE, sourceORVANE or Relay Host)\n"
           "for its state whenever Prometheus scrapes /probe?target=ADDRESS, in Prometheus'\n"
           "text format.\n"
           "\n" +
           exporterUsage() +
           "\n"
           "Options:\n"
           " -l, --listen=ADDRESS:PORT   where to answer HTTP (default 127.0.0.1:9759, this\n"
           "                             host only); [::1]:9759 for IPv6, 0.0.0.0:9759 for all\n"
           " -m, --max-timeout=SECONDS   the longest a probe waits for its device, and its\n"
           "                             answer may take, whatever a request asks (" +
           orvane::formatSeconds(orvane::kCheckMinimumMs) + " to " +
           orvane::formatSeconds(kLongestMaxTimeoutMs) +
           ",\n"
           "                             default " +
           orvane::formatSeconds(kLongestMaxTimeoutMs) +
           ")\n"
           " -h, --help                  print this help\n"
           " -V, --version               print the version\n"
           "\n"
           "Paths:\n"
           " /probe?target=ADDRESS  asks the device at ADDRESS (dotted quad of one device; not\n"
           "                        0.0.0.0/8, multicast, reserved or broadcast) once, waiting\n"
           "                        &timeout=SECONDS (" +
           orvane::acceptedSecondsText() + ", default " +
           orvane::formatSeconds(orvane::kDefaultTimeoutMs) +
           "), at most\n"
           "                        --max-timeout and 0.5 s less than the scrape time-out that\n"
           "                        Prometheus sends (X-Prometheus-Scrape-Timeout-Seconds); a\n"
           "                        missing or bad target or time-out gets HTTP 400\n"
           " /metrics               the exporter's own counters: probes, failures by cause,\n"
           "                        durations, probes in flight and queued, requests refused\n"
           "                        by cause, and the process_* metrics\n"
           " /                      a page for people: every device asked about in the last\n"
           "                        day, its state, who holds it and since when\n"
           "\n"
           "Metrics of /probe:\n"
           " orvane_probe_success            1 when the device answered with its state\n"
           " orvane_probe_duration_seconds   how long the probe took\n"
           " orvane_state{state=...}         1 for the current state: available,\n"
           "                                 used_by_this_pc, used_by_other_pc, not_reachable\n"
           " orvane_device_info{name=...,kind=...,holder=...}  1, when the device answered\n"
           " orvane_state_change_timestamp_seconds  when the exporter saw the state or the\n"
           "                                 holder change last; none before a change\n"
           " orvane_holder_info{holder=...,holder_name=...}  1, while the device is in use\n"
           "\n"
           "A device that does not answer within the time-out, or that no network reaches, is\n"
           "not_reachable; a reply the network layer cannot read has no state. Bytes of a name\n"
           "or holder that are not printable ASCII are shown as \\xNN.\n"
           "\n"
           "Bounds, whatever a client sends:\n"
           " a request     its line and headers about " +
           count(limits.http.connectionBytes / 1024) +
           " KiB (longer: HTTP 414 or 431), no body\n"
           "               (413), GET and HEAD only (405), whole within " +
           orvane::formatSeconds(std::uint32_t(limits.http.requestDeadline.count())) +
           " s of its connection (408);\n"
           "               one request per connection\n"
           " connections   at most " +
           count(limits.http.connections) +
           " at once; more wait to be taken\n"
           " probes        " +
           count(limits.probeWorkers) + " run at once (one at a time per device), at most " +
           count(limits.probesTaken) +
           "\n"
           "               running or waiting, two of them at most waiting for one device; a\n"
           "               probe that finds the queue or its device's place full, or cannot\n"
           "               start in time to wait its whole time-out before its answer is due\n"
           "               (the scrape time-out less 0.5 s, or --max-timeout), gets HTTP 503\n"
           "               with the reason, never a probe result\n"
           "\n"
           "Failure lines of the network layer go to standard error: the first at once, then at\n"
           "most one a minute, with the number held back; /metrics counts every failure.\n"
           "Ends within a second on SIGTERM or SIGINT: probes still waiting or running are\n"
           "answered 503, not waited for.\n"
           "Exit status: 0 when ended so, 1 when it cannot listen, 2 for a wrong command line.\n";
}

} // namespace orvaneexporter
