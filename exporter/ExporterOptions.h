// The command line of orvane-exporter, read with getopt_long into plain values.
#pragma once

#include "ExporterLimits.h"

#include <cstdint>
#include <string>

namespace orvaneexporter {

enum class ExporterAction { Serve, ShowHelp, ShowVersion, UsageError };

struct ExporterOptions {
    ExporterAction action = ExporterAction::Serve;
    std::string listenAddress = "127.0.0.1"; // loopback only unless the admin says otherwise
    int listenPort = 9759;
    std::uint32_t maxTimeoutMs = kLongestMaxTimeoutMs;
    std::string error; // why the command line was refused (UsageError only)
};

ExporterOptions parseExporterOptions(int argc, char **argv);

// "ADDRESS:PORT": an IPv4 address, or an IPv6 one in brackets ([::1]:9759), and a port from 1 to
// 65535. False when the text is no such thing.
bool parseListenAddress(const std::string &text, std::string *address, int *port);

std::string exporterUsage(); // the one "Usage:" line
std::string exporterHelpText();
std::string exporterVersionText(); // "orvane-exporter 1.0.13503"

} // namespace orvaneexporter
