#include "FailureLog.h"

#include "ByteText.h"
#include "Exposition.h"

namespace orvaneexporter {

FailureLog::FailureLog(std::FILE *stream, std::chrono::steady_clock::duration interval)
    : stream(stream), interval(interval) {}

void FailureLog::write(const std::string &line) {
    const auto now = std::chrono::steady_clock::now();
    const std::lock_guard<std::mutex> lock(mutex);
    if (written && now - lastWritten < interval) {
        ++heldBack;
        return;
    }
    std::string text = readableBytes(orvane::trimTrailingWhitespace(line));
    if (heldBack > 0) {
        text += " (" + std::to_string(heldBack) + " lines held back since the one before)";
    }
    std::fprintf(stream, "orvane-exporter: %s\n", text.c_str());
    std::fflush(stream);
    written = true;
    lastWritten = now;
    heldBack = 0;
}

} // namespace orvaneexporter
