#include "DebugLog.h"

#include "Platform.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace {

// Programs that query from several threads at once (the exporter) write lines from all of them;
// the first line of the process sets the time base for all.
struct TimeBase {
    std::mutex mutex;
    bool bSet = false;
    std::uint32_t dwTick = 0;
};

// Made at its first use: the mutex is not constant-initialised on every system.
TimeBase &timeBase() {
    static TimeBase base;
    return base;
}

std::uint32_t dwElapsedSinceFirstLine() {
    const orvane::PlatformLayer &layer = orvane::platform();
    TimeBase &base = timeBase();
    const std::lock_guard<std::mutex> lock(base.mutex);
    if (!base.bSet) {
        base.dwTick = layer.tickCount();
        base.bSet = true;
    }
    // Unsigned arithmetic absorbs one wrap of the tick counter.
    return layer.tickCount() - base.dwTick;
}

void vAppendToLogFile(const char *pszLine) {
    std::FILE *file = orvane::platform().openLogFile();
    if (file == nullptr) {
        return;
    }
    std::fprintf(file, "%s", pszLine);
    std::fclose(file);
}

} // namespace

int iFormatTimeStamp(std::uint32_t dwElapsedMs, char *pszBuffer, std::size_t size) {
    return std::snprintf(pszBuffer, size, "%05u.%03u s: ", unsigned(dwElapsedMs / 1000),
                         unsigned(dwElapsedMs % 1000));
}

void vWriteDebugLog(const char *pszFormat, ...) {
    char szLine[DEBUG_LOG_LINE_SIZE];
    int iStampLength = iFormatTimeStamp(dwElapsedSinceFirstLine(), szLine, sizeof szLine);
    if (iStampLength < 0) {
        return;
    }
    va_list arguments;
    va_start(arguments, pszFormat);
    std::vsnprintf(szLine + iStampLength, sizeof szLine - std::size_t(iStampLength), pszFormat,
                   arguments);
    va_end(arguments);
    vAppendToLogFile(szLine);
}

const char *pszGetErrorText(int iErrorCode) {
    thread_local char szErrorText[ERROR_TEXT_SIZE];
    const std::string text = orvane::platform().errorMessage(iErrorCode);
    const std::size_t length = text.copy(szErrorText, sizeof szErrorText - 1);
    szErrorText[length] = '\0';
    return szErrorText;
}

namespace orvane::testing {
void resetDebugLogTimeBase() {
    const std::lock_guard<std::mutex> lock(timeBase().mutex);
    timeBase().bSet = false;
}
} // namespace orvane::testing
