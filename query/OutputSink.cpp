#include "OutputSink.h"

#include <cstdarg>
#include <cstdio>

namespace orvane {

namespace {

OutputSink &currentSink() {
    static OutputSink fnSink;
    return fnSink;
}

} // namespace

void setOutputSink(OutputSink fnSink) {
    currentSink() = std::move(fnSink);
}

} // namespace orvane

void vPrintOutputLine(const char *pszFormat, ...) {
    char szLine[DEBUG_LOG_LINE_SIZE];
    va_list arguments;
    va_start(arguments, pszFormat);
    std::vsnprintf(szLine, sizeof szLine, pszFormat, arguments);
    va_end(arguments);
    const orvane::OutputSink &fnSink = orvane::currentSink();
    if (fnSink) {
        fnSink(szLine);
        return;
    }
    std::fputs(szLine, stdout);
    std::fflush(stdout);
}
