// Which kind of device answered, decided from the name in its reply the same way the monitor
// window decides it.
#pragma once

#include <string>

namespace orvanecheck {

// Non-empty name containing "66": "sourceORVANE"; other non-empty name: "captureORVANE";
// empty name: "Relay Host" (it answers without naming itself).
std::string deviceKindName(const std::string &replyName);

} // namespace orvanecheck
