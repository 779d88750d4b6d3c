// The lab as the exporter has seen it: every device it was asked about (by Prometheus or by
// anyone), with its state, who holds it and since when, and when it was last asked. Fed by every
// probe; read by the page at / and by the series of /probe. Safe to use from many threads.
#pragma once

#include "HostNameCache.h"
#include "Probe.h"

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orvaneexporter {

using WallClock = std::chrono::system_clock;

// Every field starts empty, so that a row can be written with only the fields it has.
struct DeviceRow {
    std::string address{}; // the target, in its one spelling
    // The name in the device's last answer with a state, bytes as received; none before one.
    std::optional<std::string> name{};
    // The state of the last probe; none when that probe read no state, for the reason in failure.
    std::optional<OrvaneState> state{};
    std::string failure{};
    std::string holder{};     // who holds the device as it says, without surrounding blanks
    std::string holderName{}; // the holder's host name as far as known
    // The last change of state or holder seen; none while the state first seen still holds, whose
    // beginning is not known (the tray's rule). firstSeen is the first probe of that state. A
    // probe that read no state (its reply unreadable, the exporter's own socket) is no change.
    std::optional<WallClock::time_point> since{};
    WallClock::time_point firstSeen{};
    WallClock::time_point lastAsked{};
    // The state and holder that the last probe with a state read, which "since" follows.
    std::optional<OrvaneState> readState{};
    std::string readHolder{};
};

class LabBoard {
public:
    // A lab has a few hundred devices at most; anybody may ask for any address, so the rows are
    // bounded, the one asked for longest ago giving way, and a device not asked for a day goes.
    static constexpr std::size_t kMaxRows = 1000;
    static constexpr std::chrono::hours kRowLife{24};

    LabBoard();

    // Notes a probe of the device at address, made at when; the device's row as it is now.
    DeviceRow record(const std::string &address, const ProbeResult &result,
                     WallClock::time_point when);

    // Every device asked for within kRowLife before now, with the holders' names as known now.
    std::vector<DeviceRow> rows(WallClock::time_point now);

private:
    DeviceRow &rowFor(const std::string &address);
    DeviceRow named(DeviceRow row);

    std::mutex mutex;
    std::map<std::string, DeviceRow> rowsByAddress;
    orvane::HostNameCache holderNames;
};

} // namespace orvaneexporter
