#include "StdoutCapture.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

namespace orvanecheck {

namespace {

// Captured text is only ever a few failure lines; anything beyond this is not read back.
constexpr std::size_t kMaxCapturedBytes = 64 * 1024;

int openTemporaryFile() {
    const char *dir = std::getenv("TMPDIR");
    std::string path =
        std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/orvane-check-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd >= 0) {
        unlink(path.c_str()); // gone when closed, whatever happens to the process
    }
    return fd;
}

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
    savedStdout = dup(STDOUT_FILENO);
    captureFd = openTemporaryFile();
    // Without a temporary file the lines go to standard error: still off the status line.
    const int target = captureFd >= 0 ? captureFd : STDERR_FILENO;
    if (savedStdout >= 0) {
        dup2(target, STDOUT_FILENO);
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
    dup2(savedStdout, STDOUT_FILENO);
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
    ssize_t count = 0;
    while (text.size() < kMaxCapturedBytes &&
           (count = read(captureFd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return splitLines(text);
}

} // namespace orvanecheck
