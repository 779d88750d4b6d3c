#include "StdoutCapture.h"

#include "TemporaryFile.h"

#include <cstdio>
#include <iostream>

// The C runtime's descriptor calls, under their POSIX names on both systems.
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace orvanecheck {

namespace {

// Captured text is only ever a few failure lines; anything beyond this is not read back.
constexpr std::size_t kMaxCapturedBytes = 64 * 1024;

std::vector<std::string> splitLines(const std::string &text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace

StdoutCapture::StdoutCapture() {
    std::cout.flush();
    std::fflush(stdout);
    savedStdout = dup(fileno(stdout));
    captureFd = openTemporaryFile();
    // Without a temporary file the lines go to standard error: still off the status line.
    const int target = captureFd >= 0 ? captureFd : fileno(stderr);
    if (savedStdout >= 0) {
        dup2(target, fileno(stdout));
    }
}

StdoutCapture::~StdoutCapture() {
    restore();
    if (captureFd >= 0) {
        close(captureFd);
    }
}

void StdoutCapture::restore() {
    if (savedStdout < 0) {
        return;
    }
    std::cout.flush();
    std::fflush(stdout);
    dup2(savedStdout, fileno(stdout));
    close(savedStdout);
    savedStdout = -1;
}

std::vector<std::string> StdoutCapture::finish() {
    restore();
    if (captureFd < 0 || lseek(captureFd, 0, SEEK_SET) != 0) {
        return {};
    }
    std::string text;
    char buffer[4096];
    long count = 0;
    while (text.size() < kMaxCapturedBytes &&
           (count = read(captureFd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return splitLines(text);
}

} // namespace orvanecheck
