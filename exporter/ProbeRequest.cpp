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

// Why an address names no one device, or nullptr: a datagram to it would reach every host of a
// network or group, or none.
const char *notOneDevice(const std::string &target) {
    const std::uint32_t firstOctet = dwDottedQuadToIPv4(target.c_str()) >> 24;
    if (firstOctet == 0) {
        return "is \"this network\" (0.0.0.0/8)";
    }
    if (firstOctet >= 224 && firstOctet < 240) {
        return "is a multicast group (224.0.0.0/4)";
    }
    if (firstOctet >= 240) {
        return "is reserved or the broadcast address (240.0.0.0/4)";
    }
    return nullptr;
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
                                     const std::optional<std::string> &scrapeTimeout,
                                     std::uint32_t maximumMs) {
    if (targets.size() != 1) {
        return refused(targets.empty() ? "no target given (/probe?target=ADDRESS)"
                                       : "more than one target given");
    }
    const std::string &target = targets.front();
    if (!bIsDeviceAddress(target)) {
        return refused("target \"" + labelValue(readableBytes(target)) +
                       "\" is not an IPv4 address in dotted-quad form such as 192.168.1.10");
    }
    if (const char *reason = notOneDevice(target)) {
        return refused("target " + target + " " + reason + ", not one device");
    }
    std::uint32_t timeoutMs = orvane::kDefaultTimeoutMs;
    if (timeout && !orvane::parseSeconds(*timeout, timeoutMs)) {
        return refused("timeout \"" + labelValue(readableBytes(*timeout)) +
                       "\" is not a number of seconds from " + orvane::acceptedSecondsText());
    }
    std::uint32_t scrapeTimeoutMs = 0;
    std::uint32_t answerWithinMs = maximumMs;
    if (scrapeTimeout && orvane::parseSeconds(*scrapeTimeout, scrapeTimeoutMs)) {
        answerWithinMs = std::min(answerWithinMs, timeoutWithinScrape(scrapeTimeoutMs));
    }
    timeoutMs = std::min(timeoutMs, answerWithinMs);
    // Every spelling of an address is one device, for the queue's one probe at a time and the
    // page's one row.
    return {ProbeRequest{sCanonicalAddress(target), timeoutMs,
                         std::max(answerWithinMs - timeoutMs, kStartAllowanceMs)},
            ""};
}

} // namespace orvaneexporter
