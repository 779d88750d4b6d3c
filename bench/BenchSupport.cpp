#include "BenchSupport.h"

#include "OrvaneIdentity.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace orvanebench {

const char *const kDeviceName = "captureORVANE 1024";
const char *const kFreeUser = "0.0.0.0";
// Text in a reply only: the address of some other PC, never a target of anything.
const char *const kOtherPCUser = "192.0.2.44";

namespace {

constexpr char kRequest[] = "state"; // with its NUL: the 6 bytes of the query
constexpr const char *kBaseline = "BM_BareRoundTrip";

void BM_BareRoundTrip(benchmark::State &state, const char *pszAddress) {
    BareRoundTrip oRoundTrip(pszAddress);
    for (auto _ : state) {
        if (oRoundTrip.run() <= 0) {
            state.SkipWithError("the simulated device did not answer");
            break;
        }
    }
}

} // namespace

std::unique_ptr<simdevice::SimulatedDevice> startDevice(const char *pszAddress,
                                                        const char *pszUser) {
    auto poDevice = std::make_unique<simdevice::SimulatedDevice>();
    std::string sError;
    if (!poDevice->start(pszAddress, orvane::kQueryPort, &sError)) {
        std::fprintf(stderr, "cannot start the simulated device on %s: %s\n", pszAddress,
                     sError.c_str());
        std::exit(2);
    }
    poDevice->answerWith(kDeviceName, pszUser);
    return poDevice;
}

BareRoundTrip::BareRoundTrip(const char *pszAddress) : iSocket(::socket(AF_INET, SOCK_DGRAM, 0)) {
    oDevice.sin_family = AF_INET;
    oDevice.sin_port = htons(orvane::kQueryPort);
    oDevice.sin_addr.s_addr = ::inet_addr(pszAddress);
    const timeval oTimeout{1, 0};
    ::setsockopt(iSocket, SOL_SOCKET, SO_RCVTIMEO, &oTimeout, sizeof oTimeout);
}

BareRoundTrip::~BareRoundTrip() {
    ::close(iSocket);
}

long BareRoundTrip::run() {
    if (::sendto(iSocket, kRequest, sizeof kRequest, 0, reinterpret_cast<sockaddr *>(&oDevice),
                 sizeof oDevice) < 0) {
        return -1;
    }
    char acReply[ORVANE_NAME_BUFFER_SIZE];
    return ::recvfrom(iSocket, acReply, sizeof acReply, 0, nullptr, nullptr);
}

benchmark::internal::Benchmark *registerBareRoundTrip(const char *pszAddress) {
    return benchmark::RegisterBenchmark(kBaseline, BM_BareRoundTrip, pszAddress)->UseRealTime();
}

void queryUntilDone(benchmark::State &state, const char *pszAddress, OrvaneState eExpected) {
    for (auto _ : state) {
        char acName[ORVANE_NAME_BUFFER_SIZE] = {};
        OrvaneState eState = ORVANE_NOT_REACHABLE;
        if (dwGetOrvaneState(pszAddress, 1000, acName, &eState) != 0 || eState != eExpected) {
            state.SkipWithError("the query did not give the state of the device");
            break;
        }
        benchmark::DoNotOptimize(acName);
    }
}

void RatioReporter::ReportRuns(const std::vector<Run> &reports) {
    ConsoleReporter::ReportRuns(reports);
    for (const Run &oRun : reports) {
        if (oRun.error_occurred ||
            (oRun.run_type == Run::RT_Aggregate && oRun.aggregate_name != "median")) {
            continue;
        }
        const std::string sName = oRun.run_name.function_name;
        const double dNs =
            oRun.GetAdjustedRealTime() * (1e9 / benchmark::GetTimeUnitMultiplier(oRun.time_unit));
        if (oNs.insert_or_assign(sName, dNs).second) {
            oOrder.push_back(sName);
        }
    }
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    const double dBaseline = oNs[kBaseline];
    if (dBaseline <= 0) {
        return;
    }
    std::printf("\n%-34s %12s %10s\n", "real time per call", "microseconds", "x bare");
    for (const std::string &sName : oOrder) {
        const double dNs = oNs[sName];
        std::printf("%-34s %12.1f %10.2f\n", sName.c_str(), dNs / 1000.0, dNs / dBaseline);
    }
    std::fflush(stdout);
}

int runBenchmarks(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    // Colours only for a terminal, so that the figures can be piped into a file as they are.
    RatioReporter oReporter(::isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults
                                                    : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&oReporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace orvanebench
