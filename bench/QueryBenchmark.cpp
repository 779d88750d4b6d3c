// The state query against a simulated device, weighed against a bare UDP round trip with the same
// datagrams: what the query adds on top of the wire (its own socket, the reply's reading and, for
// a held device, the match against this PC's addresses).
#include "BenchSupport.h"

#include "OrvaneQuery.h"
#include "Platform.h"

#include <string>
#include <vector>

namespace {

// Loopback addresses of the benchmarks: one device per reply, so that none is reconfigured while
// it is being measured.
constexpr const char *kFreeDevice = "127.0.0.170";
constexpr const char *kOtherPCDevice = "127.0.0.171";
constexpr const char *kThisPCDevice = "127.0.0.172";
// The user address of a device held by this PC: the loopback interface's own address.
constexpr const char *kThisPCUser = "127.0.0.1";

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

// The same round trip on a socket of its own, opened and closed around it as every query must:
// the least a query can cost.
void BM_BareRoundTripNewSocket(benchmark::State &state) {
    for (auto _ : state) {
        orvanebench::BareRoundTrip oRoundTrip(kFreeDevice);
        if (oRoundTrip.run() <= 0) {
            state.SkipWithError("the simulated device did not answer");
            break;
        }
    }
}

// The list of this PC's addresses that a reply naming a user is matched against.
void BM_LocalAddresses(benchmark::State &state) {
    for (auto _ : state) {
        std::vector<std::string> oAddresses;
        benchmark::DoNotOptimize(orvane::platform().getLocalAddresses(&oAddresses));
    }
}

void BM_QueryFree(benchmark::State &state) {
    queryUntilDone(state, kFreeDevice, ORVANE_AVAILABLE);
}

void BM_QueryHeldByOtherPC(benchmark::State &state) {
    queryUntilDone(state, kOtherPCDevice, ORVANE_USED_BY_OTHER_PC);
}

void BM_QueryHeldByThisPC(benchmark::State &state) {
    queryUntilDone(state, kThisPCDevice, ORVANE_USED_BY_THIS_PC);
}

} // namespace

int main(int argc, char **argv) {
    const auto poFree = orvanebench::startDevice(kFreeDevice, orvanebench::kFreeUser);
    const auto poOtherPC = orvanebench::startDevice(kOtherPCDevice, orvanebench::kOtherPCUser);
    const auto poThisPC = orvanebench::startDevice(kThisPCDevice, kThisPCUser);
    if (dwInitSockets() != 0) {
        return 2;
    }
    orvanebench::registerBareRoundTrip(kFreeDevice);
    benchmark::RegisterBenchmark("BM_BareRoundTripNewSocket", BM_BareRoundTripNewSocket)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_LocalAddresses", BM_LocalAddresses)->UseRealTime();
    benchmark::RegisterBenchmark("BM_QueryFree", BM_QueryFree)->UseRealTime();
    benchmark::RegisterBenchmark("BM_QueryHeldByOtherPC", BM_QueryHeldByOtherPC)->UseRealTime();
    benchmark::RegisterBenchmark("BM_QueryHeldByThisPC", BM_QueryHeldByThisPC)->UseRealTime();
    const int iResult = orvanebench::runBenchmarks(argc, argv);
    iCleanupSockets();
    return iResult;
}
