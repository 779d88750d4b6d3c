// The network layer prints its failure lines on standard output, but a monitoring system takes the
// first line of standard output as the check's status. While a capture is active, whatever is
// written to standard output (stdio, iostreams or the descriptor itself) lands in a temporary
// file instead; the check prints those lines after its status line.
#pragma once

#include <string>
#include <vector>

namespace orvanecheck {

class StdoutCapture {
public:
    StdoutCapture();  // starts capturing
    ~StdoutCapture(); // puts standard output back if finish() was not called
    StdoutCapture(const StdoutCapture &) = delete;
    StdoutCapture &operator=(const StdoutCapture &) = delete;

    // Puts standard output back and returns the captured lines without their line feeds.
    std::vector<std::string> finish();

private:
    void restore();

    int savedStdout = -1;
    int captureFd = -1;
};

} // namespace orvanecheck
