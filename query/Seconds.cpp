#include "Seconds.h"

#include "OrvaneIdentity.h"

#include <cstdio>
#include <regex>

namespace orvane {

bool parseSeconds(const std::string &text, std::uint32_t &result) {
    // At least one digit; whole seconds of at most four digits after leading zeros (more could
    // only lie above the maximum), then any decimals.
    static_assert(kCheckMaximumMs < 10'000'000, "the maximum has more than four digits");
    static const std::regex decimal(R"((?=\.?[0-9])0*([0-9]{0,4})(?:\.([0-9]*))?)");
    std::smatch parts;
    if (!std::regex_match(text, parts, decimal)) {
        return false;
    }
    // Whole milliseconds in integer arithmetic: exact, and no locale or "inf" can get in. The
    // fourth decimal rounds to the nearest millisecond.
    const std::string wholeSeconds = parts[1].length() > 0 ? parts[1].str() : "0";
    const std::string tenthsOfMilliseconds = (parts[2].str() + "0000").substr(0, 4);
    const std::uint64_t milliseconds =
        std::stoul(wholeSeconds) * 1000 + (std::stoul(tenthsOfMilliseconds) + 5) / 10;
    if (milliseconds < kCheckMinimumMs || milliseconds > kCheckMaximumMs) {
        return false;
    }
    result = static_cast<std::uint32_t>(milliseconds);
    return true;
}

// Ten significant digits hold any number of milliseconds as seconds, and %g drops trailing zeros.
std::string formatSeconds(std::uint32_t milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", milliseconds / 1000.0);
    return text;
}

std::string acceptedSecondsText() {
    return formatSeconds(kCheckMinimumMs) + " to " + formatSeconds(kCheckMaximumMs);
}

} // namespace orvane
