// The diagnostic log of the network layer: time-stamped lines appended to hvcxdrv_debug.txt, and
// the text of platform error codes for messages.
#pragma once

#include <cstddef>
#include <cstdint>

// The log level; each log site writes its line only when the level reaches the site's threshold.
constexpr std::uint8_t byDebugLevel = 1;

constexpr std::size_t DEBUG_LOG_LINE_SIZE = 1024;
constexpr std::size_t ERROR_TEXT_SIZE = 100;

#if defined(__GNUC__)
#define ORVANE_PRINTF_FORMAT(formatIndex, firstArgument)                                           \
    __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define ORVANE_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

// Appends one line: the time since the first line of the process and the formatted message.
// Tests no level (the caller does) and adds no line end (the format carries it). A message too
// long for the line buffer is cut; a log file that cannot be opened loses the line silently.
void vWriteDebugLog(const char *pszFormat, ...) ORVANE_PRINTF_FORMAT(1, 2);

// The platform's message for an error code, cut to ERROR_TEXT_SIZE - 1 characters, in a buffer of
// the calling thread's own that the thread's next call overwrites (one buffer in a program of one
// thread, as before; one per thread where several query at once).
const char *pszGetErrorText(int iErrorCode);

// Writes "SSSSS.mmm s: " for the elapsed milliseconds (whole seconds in at least five digits) and
// returns the number of characters written, as snprintf does.
int iFormatTimeStamp(std::uint32_t dwElapsedMs, char *pszBuffer, std::size_t size);

namespace orvane::testing {
// Forgets the time base, so that the next line counts from its own moment again.
void resetDebugLogTimeBase();
} // namespace orvane::testing
