// What the benchmarks share: a simulated device on a loopback address of the benchmarks, the bare
// UDP round trip that every query is weighed against, and a reporter that prints each benchmark
// as a multiple of that round trip.
#pragma once

#include "SimulatedDevice.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
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
    unsigned uDevice = 0; // IPv4 address in network byte order
};

// Registers the bare round trip against the device on pszAddress as "BM_BareRoundTrip".
void registerBareRoundTrip(const char *pszAddress);

// Prints what the console reporter prints, and at the end each benchmark's real time as a
// multiple of BM_BareRoundTrip (the median when repetitions were asked for).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;
    void ReportRuns(const std::vector<Run> &reports) override;
    void Finalize() override;

private:
    std::map<std::string, double> oMedianNs;
    std::map<std::string, double> oSingleNs;
    std::vector<std::string> oOrder;
};

// Runs the registered benchmarks with the ratio reporter; the result is the process's exit code.
int runBenchmarks(int argc, char **argv);

} // namespace orvanebench
