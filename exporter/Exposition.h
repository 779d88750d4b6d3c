// The Prometheus text format (version 0.0.4) of the exporter's answers, and the escaping that
// keeps a device's bytes from breaking a line of it or its UTF-8.
#pragma once

#include "LabBoard.h"
#include "Probe.h"

#include <string>

namespace orvaneexporter {

inline constexpr char kExpositionContentType[] = "text/plain; version=0.0.4; charset=utf-8";

// Printable ASCII stays as it is; every other byte becomes the four characters \xNN. A device's
// name and holder are arbitrary bytes: so mapped, any of them is plain ASCII (and so UTF-8, which
// Prometheus requires of label values), and no byte is lost (the label's own escaping takes care
// of quotes, backslashes and line ends).
std::string readableBytes(const std::string &bytes);

// A label value as the format writes it between its quotes: backslash, double quote and line
// feed escaped.
std::string labelValue(const std::string &text);

// The answer to /probe: orvane_probe_success, orvane_probe_duration_seconds, and for a device
// that answered or is not reachable one orvane_state series per state (1 for the current one);
// for a device that answered also orvane_device_info with its name, kind and holder. A failed
// query (a reply the network layer cannot read, a socket error) has no state.
std::string probeExposition(const ProbeResult &result);

// What the exporter has seen of the device over time, from its row: when its state or holder
// last changed, orvane_state_change_timestamp_seconds (absent while the state first seen still
// holds, whose beginning is not known); for a device in use, who holds it,
// orvane_holder_info{holder="...",holder_name="..."} 1 (the name empty while none is known).
std::string historyExposition(const DeviceRow &row);

// "# HELP" and "# TYPE" of one metric.
std::string metricHeader(const char *name, const char *type, const char *help);

// A sample value: whole numbers as they are, others with six decimals.
std::string sampleValue(double value);

} // namespace orvaneexporter
