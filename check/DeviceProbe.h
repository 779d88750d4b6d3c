// One question to one device through the network layer, timed.
#pragma once

#include "CheckOutcome.h"

#include <cstdint>
#include <string>

namespace orvanecheck {

// Starts the sockets, asks the device once, and shuts the sockets down again. The lines the
// network layer prints meanwhile are kept in the outcome instead of reaching standard output.
CheckOutcome probeDevice(const std::string &address, std::uint32_t timeoutMs);

} // namespace orvanecheck
