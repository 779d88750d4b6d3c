// The network layer's failure lines on their way to the journal. A device without a network to it
// fails at every scrape, and two hundred of them every ten seconds would flood the journal: the
// first line is written at once, later ones at most one per interval, each with the number of
// lines held back before it. The exporter's own counters (/metrics) count every failure by cause.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

namespace orvaneexporter {

class FailureLog {
public:
    FailureLog(std::FILE *stream, std::chrono::steady_clock::duration interval);

    // Writes the line (its line end and trailing blanks dropped) now, or counts it as held back.
    // Safe to call from many threads at once.
    void write(const std::string &line);

private:
    std::FILE *stream;
    const std::chrono::steady_clock::duration interval;
    std::mutex mutex;
    bool written = false;
    std::chrono::steady_clock::time_point lastWritten;
    unsigned long heldBack = 0;
};

} // namespace orvaneexporter
