// The capture that keeps the network layer's lines off the check's status line, on the system's
// own descriptors and temporary files (under wine in the Windows build).
#include "StdoutCapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

using Lines = std::vector<std::string>;

// Writes one line each way the network layer or a library might write to standard output.
void writeEveryWay(const std::string &tag) {
    std::printf("%s stdio\n", tag.c_str());
    std::cout << tag << " iostream" << std::endl;
    std::fflush(stdout);
    const std::string line = tag + " descriptor\n";
    EXPECT_EQ(write(fileno(stdout), line.data(), unsigned(line.size())), long(line.size()));
}

TEST(StdoutCaptureTest, EveryWayOfWritingIsCapturedAndStandardOutputComesBack) {
    orvanecheck::StdoutCapture outer;
    Lines inner;
    {
        orvanecheck::StdoutCapture capture;
        writeEveryWay("during");
        std::printf("no line end");
        inner = capture.finish();
        writeEveryWay("after");
    }
    EXPECT_EQ(inner,
              Lines({"during stdio", "during iostream", "during descriptor", "no line end"}));
    // What came after finish() went to the standard output the capture had found.
    EXPECT_EQ(outer.finish(), Lines({"after stdio", "after iostream", "after descriptor"}));
}

TEST(StdoutCaptureTest, NothingWrittenGivesNoLinesAndEndingWithoutFinishRestores) {
    orvanecheck::StdoutCapture outer;
    {
        orvanecheck::StdoutCapture unread;
        std::printf("dropped\n");
    }
    orvanecheck::StdoutCapture empty;
    EXPECT_EQ(empty.finish(), Lines());
    std::printf("kept\n");
    EXPECT_EQ(outer.finish(), Lines({"kept"}));
}

} // namespace
