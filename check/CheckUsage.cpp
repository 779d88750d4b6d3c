#include "CheckUsage.h"

#include "OrvaneVersion.h"

namespace orvanecheck {

std::string usageSynopsis() {
    return "Usage: orvane-check -H ADDRESS [-t SECONDS] [--json] [-h] [-V]\n";
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
           "                         (0.001 to 3600, default 1)\n"
           "     --json              print one JSON object instead of the status line\n"
           " -h, --help              print this help\n"
           " -V, --version           print the version\n"
           "\n"
           "Status line and exit code:\n"
           " 0 OK        the device is available or used by this PC\n"
           " 1 WARNING   the device is used by another PC (its address is in the line)\n"
           " 2 CRITICAL  no answer within the time-out\n"
           " 3 UNKNOWN   protocol or socket error (result code and error text in the line),\n"
           "             or a wrong command line\n"
           "\n"
           "Example:\n"
           "  $ orvane-check -H 192.168.1.10 -t 0.5\n"
           "  ORVANE OK - captureORVANE \"CAPTURE-12\" available | rtt=0.210ms;;;0;500\n"
           "\n"
           "The performance data rtt is the time the query took, in milliseconds, with the\n"
           "time-out as maximum. Lines the network layer prints about a failure follow the\n"
           "status line. Bytes of the device's reply that are not printable ASCII, and the\n"
           "characters | \" \\, are shown as \\xNN.\n"
           "\n"
           "--json fields: address, status, exit_code, result, error, state, state_name,\n"
           "reply_name, device_kind, user_address, rtt_ms, timeout_ms, messages. Fields that do\n"
           "not apply are null. Reply bytes outside printable ASCII are written as \\u00NN.\n"
           "\n"
           "Icinga 2:\n"
           "  object CheckCommand \"orvane\" {\n"
           "    command = [ PluginDir + \"/orvane-check\" ]\n"
           "    arguments = {\n"
           "      \"-H\" = \"$orvane_address$\"\n"
           "      \"-t\" = \"$orvane_timeout$\"\n"
           "    }\n"
           "    vars.orvane_address = \"$address$\"\n"
           "    vars.orvane_timeout = 1\n"
           "  }\n"
           "  apply Service \"orvane\" {\n"
           "    check_command = \"orvane\"\n"
           "    assign where host.vars.orvane\n"
           "  }\n";
}

} // namespace orvanecheck
