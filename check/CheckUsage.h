// The texts of -h and -V.
#pragma once

#include <string>

namespace orvanecheck {

std::string usageSynopsis(); // the one "Usage:" line
std::string helpText();
std::string versionText(); // "orvane-check 1.0.13503"

} // namespace orvanecheck
