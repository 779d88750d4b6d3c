// What the benchmarks share: a simulated device on a loopback address of the benchmarks, the bare
// UDP round trip that every query is weighed against, and a reporter that prints each benchmark
// as a multiple of that round trip.
#pragma once

#include "OrvaneQuery.h"
#include "SimulatedDevice.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <vector>

namespace orvanebench {

// Replies as the simulated device sends them: "free" and "held by another PC".
extern const char *const kDeviceName;
extern const char *const kFreeUser;
extern const char *const kOtherPCUser;

// A simulated device answering "name#user" on the address; ends the process if it cannot start,
// since every figure would be meaningless without it.
std::unique_ptr<simdevice::SimulatedDevice> startDevice(const char *pszAddress,
                                                        const char *pszUser = kFreeUser);

// One UDP socket kept open, which sends the 6-byte request and receives the reply: the least that
// any query has to do on the wire.
class BareRoundTrip {
public:
    explicit BareRoundTrip(const char *pszAddress);
    ~BareRoundTrip();
    BareRoundTrip(const BareRoundTrip &) = delete;
    BareRoundTrip &operator=(const BareRoundTrip &) = delete;

    // The length of the reply, or -1 when none came within a second.
    long run();

private:
    int iSocket = -1;
    sockaddr_in oDevice{};
};

// Registers the bare round trip against the device on pszAddress as "BM_BareRoundTrip". Called
// at namespace scope before a program's other benchmarks, so that it comes first in the output.
benchmark::internal::Benchmark *registerBareRoundTrip(const char *pszAddress);

// Queries the device on pszAddress in every iteration; stops with an error when a query fails or
// gives another state than eExpected.
void queryUntilDone(benchmark::State &state, const char *pszAddress, OrvaneState eExpected);

// Prints what the console reporter prints, and at the end each benchmark's real time as a
// multiple of BM_BareRoundTrip (the median when repetitions were asked for).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;
    void ReportRuns(const std::vector<Run> &reports) override;
    void Finalize() override;

private:
    // Each benchmark's real time in nanoseconds: the median where there are repetitions (it is
    // reported after them), else the one run; the names in the order of the run.
    std::map<std::string, double> oNs;
    std::vector<std::string> oOrder;
};

// Runs the registered benchmarks with the ratio reporter; the result is the process's exit code.
int runBenchmarks(int argc, char **argv);

} // namespace orvanebench
