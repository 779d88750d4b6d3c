// Where the network layer's lines for the user go: the query prints its send and receive failure
// lines here. Standard output unless a program installs a sink of its own, as the monitoring
// check does, which shows them after its status line.
#pragma once

#include "DebugLog.h"

#include <functional>
#include <string>

namespace orvane {

// Receives each formatted line as it stands, its line end included.
using OutputSink = std::function<void(const std::string &sLine)>;

// Installs the sink for all later lines; an empty one stands for standard output.
void setOutputSink(OutputSink fnSink);

} // namespace orvane

// Formats one line like printf (cut to DEBUG_LOG_LINE_SIZE - 1 characters) and hands it to the
// sink. On standard output it is flushed at once, so that it shows before a box that may follow.
void vPrintOutputLine(const char *pszFormat, ...) ORVANE_PRINTF_FORMAT(1, 2);
