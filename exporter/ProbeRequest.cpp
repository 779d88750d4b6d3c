#include "ProbeRequest.h"

#include "DeviceAddress.h"
#include "Exposition.h"
#include "OrvaneIdentity.h"
#include "Seconds.h"

#include <algorithm>

namespace orvaneexporter {

namespace {

constexpr std::uint32_t kAnswerMarginMs = 500;

ProbeRequestReading refused(const std::string &reason) {
    return {std::nullopt, reason};
}

} // namespace

std::uint32_t timeoutWithinScrape(std::uint32_t scrapeTimeoutMs) {
    const std::uint32_t capMs = scrapeTimeoutMs > 2 * kAnswerMarginMs
                                    ? scrapeTimeoutMs - kAnswerMarginMs
                                    : scrapeTimeoutMs / 2;
    return std::max(capMs, orvane::kCheckMinimumMs);
}

ProbeRequestReading readProbeRequest(const std::vector<std::string> &targets,
                                     const std::optional<std::string> &timeout,
                                     const std::optional<std::string> &scrapeTimeout) {
    if (targets.size() != 1) {
        return refused(targets.empty() ? "no target given (/probe?target=ADDRESS)"
                                       : "more than one target given");
    }
    if (!bIsDeviceAddress(targets.front())) {
        return refused("target \"" + labelValue(readableBytes(targets.front())) +
                       "\" is not an IPv4 address in dotted-quad form such as 192.168.1.10");
    }
    ProbeRequest request{targets.front(), orvane::kDefaultTimeoutMs};
    if (timeout && !orvane::parseSeconds(*timeout, request.timeoutMs)) {
        return refused("timeout \"" + labelValue(readableBytes(*timeout)) +
                       "\" is not a number of seconds from " + orvane::acceptedSecondsText());
    }
    std::uint32_t scrapeTimeoutMs = 0;
    if (scrapeTimeout && orvane::parseSeconds(*scrapeTimeout, scrapeTimeoutMs)) {
        request.timeoutMs = std::min(request.timeoutMs, timeoutWithinScrape(scrapeTimeoutMs));
    }
    return {request, ""};
}

} // namespace orvaneexporter
