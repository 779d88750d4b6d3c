// The process_* metrics that an admin looks for on every exporter: CPU seconds, resident and
// virtual memory, open and allowed descriptors, and the start time, read from /proc/self.
#pragma once

#include <string>

namespace orvaneexporter {

// The metrics in the text format; the ones that cannot be read are left out.
std::string processExposition();

} // namespace orvaneexporter
