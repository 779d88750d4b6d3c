#include "CheckUsage.h"

#include "CheckOptions.h"
#include "CheckReport.h"
#include "OrvaneIdentity.h"

namespace orvanecheck {

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
