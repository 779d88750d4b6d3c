#include "LabBoard.h"

#include <algorithm>

namespace orvaneexporter {

namespace {

// One entry per row's holder. A name is looked up again hourly, so that a PC renamed or an
// address handed to another PC shows within the hour; a failed lookup every five minutes. A
// resolver that never answers holds its lookup for its own time-out (glibc: ten seconds).
constexpr orvane::HostNameCache::Limits kHolderNameLimits{LabBoard::kMaxRows, std::chrono::hours(1),
                                                          std::chrono::minutes(5), 8};

std::optional<OrvaneState> stateOf(const ProbeResult &result) {
    if (result.answer.dwResult != 0) {
        return std::nullopt;
    }
    return result.answer.eState;
}

// Only a device in use names its holder (a free one says "0.0.0.0" or the like), as an address
// or as any text, with blanks around it as the tray ignores them.
std::string holderOf(const OrvaneAnswer &answer, std::optional<OrvaneState> state) {
    if (state != ORVANE_USED_BY_OTHER_PC && state != ORVANE_USED_BY_THIS_PC) {
        return "";
    }
    constexpr char kBlanks[] = " \t\r\n\v\f";
    const std::size_t first = answer.sUser.find_first_not_of(kBlanks);
    if (first == std::string::npos) {
        return "";
    }
    return answer.sUser.substr(first, answer.sUser.find_last_not_of(kBlanks) + 1 - first);
}

} // namespace

LabBoard::LabBoard() : holderNames(kHolderNameLimits) {}

DeviceRow LabBoard::record(const std::string &address, const ProbeResult &result,
                           WallClock::time_point when) {
    const std::optional<OrvaneState> state = stateOf(result);
    const std::string holder = holderOf(result.answer, state);
    const std::lock_guard<std::mutex> lock(mutex);
    const bool seenBefore = rowsByAddress.count(address) != 0;
    DeviceRow &row = rowFor(address);
    // A probe that read no state is no change: the device may hold its state all the same.
    if (!seenBefore || (state && !row.readState)) {
        row.firstSeen = when;
    } else if (state && (state != row.readState || holder != row.readHolder)) {
        row.since = when;
    }
    if (state) {
        row.readState = state;
        row.readHolder = holder;
    }
    row.state = state;
    row.failure = state ? "" : failureCause(result);
    row.holder = holder;
    if (state && *state != ORVANE_NOT_REACHABLE) {
        row.name = result.answer.sName; // a device that stops answering keeps its name
    }
    row.lastAsked = when;
    return named(row);
}

std::vector<DeviceRow> LabBoard::rows(WallClock::time_point now) {
    const std::lock_guard<std::mutex> lock(mutex);
    std::erase_if(rowsByAddress,
                  [now](const auto &entry) { return now - entry.second.lastAsked >= kRowLife; });
    std::vector<DeviceRow> current;
    current.reserve(rowsByAddress.size());
    for (const auto &[address, row] : rowsByAddress) {
        current.push_back(named(row));
    }
    return current;
}

// The row of the address; a new one in place of the row asked for longest ago when full.
DeviceRow &LabBoard::rowFor(const std::string &address) {
    const auto found = rowsByAddress.find(address);
    if (found != rowsByAddress.end()) {
        return found->second;
    }
    if (rowsByAddress.size() >= kMaxRows) {
        rowsByAddress.erase(std::min_element(
            rowsByAddress.begin(), rowsByAddress.end(), [](const auto &left, const auto &right) {
                return left.second.lastAsked < right.second.lastAsked;
            }));
    }
    DeviceRow &row = rowsByAddress[address];
    row.address = address;
    return row;
}

// The row with its holder's name as far as known; asking starts the lookup where one is due.
DeviceRow LabBoard::named(DeviceRow row) {
    if (!row.holder.empty()) {
        row.holderName = holderNames.nameOf(row.holder);
    }
    return row;
}

} // namespace orvaneexporter
