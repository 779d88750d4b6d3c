// The command line of orvane-check, read into plain values so that main only acts on them, and
// the texts of -h and -V.
#pragma once

#include "CheckReport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvanecheck {

enum class CheckAction { Run, ShowHelp, ShowVersion, UsageError };

struct CheckOptions {
    CheckAction action = CheckAction::UsageError;
    std::string address; // dotted quad, already accepted by the address rule
    std::uint32_t timeoutMs = orvane::kDefaultTimeoutMs; // handed to the query
    RttThresholds thresholds;                            // -w and -c, at most the time-out
    bool json = false;
    bool lookUpHolderName = true; // -n: no reverse lookup of the address of a PC that holds it
    std::string error; // why the command line was refused; with UsageError the rest means nothing
};

// Arguments without the program name, read with getopt_long (not reentrant: its state is global).
// -h and -V answer at once, whatever follows them.
CheckOptions parseCheckOptions(std::vector<std::string> args);

std::string usageSynopsis(); // the one "Usage:" line
std::string helpText();
std::string versionText(); // "orvane-check 1.0.13503"

} // namespace orvanecheck
