// The state query against a simulated device, weighed against a bare UDP round trip with the same
// datagrams: what the query adds on top of the wire (its own socket, the reply's reading and, for
// a held device, the match against this PC's addresses).
#include "BenchSupport.h"

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

[[maybe_unused]] const auto *const poBaseline = orvanebench::registerBareRoundTrip(kFreeDevice);

// The same round trip on a socket of its own, opened and closed around it as every query must:
// the least a query can cost.
void BM_BareRoundTripNewSocket(benchmark::State &state) {
    for (auto _ : state) {
        if (orvanebench::BareRoundTrip(kFreeDevice).run() <= 0) {
            state.SkipWithError("the simulated device did not answer");
            break;
        }
    }
}
BENCHMARK(BM_BareRoundTripNewSocket)->UseRealTime();

// The list of this PC's addresses that a reply naming a user is matched against.
void BM_LocalAddresses(benchmark::State &state) {
    for (auto _ : state) {
        std::vector<std::string> oAddresses;
        benchmark::DoNotOptimize(orvane::platform().getLocalAddresses(&oAddresses));
    }
}
BENCHMARK(BM_LocalAddresses)->UseRealTime();

void BM_QueryFree(benchmark::State &state) {
    orvanebench::queryUntilDone(state, kFreeDevice, ORVANE_AVAILABLE);
}
BENCHMARK(BM_QueryFree)->UseRealTime();

void BM_QueryHeldByOtherPC(benchmark::State &state) {
    orvanebench::queryUntilDone(state, kOtherPCDevice, ORVANE_USED_BY_OTHER_PC);
}
BENCHMARK(BM_QueryHeldByOtherPC)->UseRealTime();

void BM_QueryHeldByThisPC(benchmark::State &state) {
    orvanebench::queryUntilDone(state, kThisPCDevice, ORVANE_USED_BY_THIS_PC);
}
BENCHMARK(BM_QueryHeldByThisPC)->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    const auto poFree = orvanebench::startDevice(kFreeDevice, orvanebench::kFreeUser);
    const auto poOtherPC = orvanebench::startDevice(kOtherPCDevice, orvanebench::kOtherPCUser);
    const auto poThisPC = orvanebench::startDevice(kThisPCDevice, kThisPCUser);
    if (dwInitSockets() != 0) {
        return 2;
    }
    const int iResult = orvanebench::runBenchmarks(argc, argv);
    iCleanupSockets();
    return iResult;
}
