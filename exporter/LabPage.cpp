#include "LabPage.h"

#include "DeviceKind.h"
#include "Exposition.h"
#include "OrvaneIdentity.h"

#include <algorithm>
#include <ctime>
#include <tuple>

namespace orvaneexporter {

namespace {

using std::chrono::duration_cast;

constexpr int kRefreshSeconds = 10; // the monitor's poll

// The tray's colours (widgets/OM_Label.h), and grey for a probe that read no state. On a phone's
// width each row becomes a block of its cells, each named by its column. A time or a duration
// stays on one line.
constexpr char kStyle[] =
    "body{font-family:sans-serif;margin:1em;color:#000;background:#fff}"
    "table{border-collapse:collapse}"
    "th,td{padding:.3em .6em;text-align:left;vertical-align:top;border-bottom:1px solid #bbb}"
    "time,.lasted{white-space:nowrap}"
    ".available{background:#00ff00}.this{background:#00ffff}.other{background:#ffff00}"
    ".unreachable{background:#ff0000}.nostate{background:#c0c0c0}"
    "@media (max-width:40em){thead{display:none}tr,td{display:block}"
    "tr{border:1px solid #888;margin:.6em 0}td{border:0;overflow-wrap:anywhere}"
    "td::before{content:attr(data-label) \": \";font-weight:bold}}";

struct StateLook {
    std::string words;
    const char *colour; // the style's class
    int group;          // where the page lists it
};

StateLook lookOf(const DeviceRow &row) {
    if (!row.state) {
        return {"no state (" + row.failure + ")", "nostate", 4};
    }
    switch (*row.state) {
    case ORVANE_AVAILABLE:
        return {"available", "available", 0};
    case ORVANE_USED_BY_OTHER_PC:
        return {"used by another PC", "other", 1};
    case ORVANE_USED_BY_THIS_PC:
        return {"used by this PC", "this", 2};
    case ORVANE_NOT_REACHABLE:
        break;
    }
    return {"no connection", "unreachable", 3};
}

std::string htmlText(const std::string &text) {
    std::string html;
    html.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            html += "&amp;";
            break;
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '"':
            html += "&quot;";
            break;
        case '\'':
            html += "&#39;";
            break;
        default:
            html += c;
        }
    }
    return html;
}

// Bytes from a device or a resolver: printable ASCII, the rest as \xNN, as markup never.
std::string shown(const std::string &bytes) {
    return htmlText(readableBytes(bytes));
}

std::string localTime(WallClock::time_point when, const char *format) {
    const std::time_t seconds = WallClock::to_time_t(when);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    char text[64];
    return std::strftime(text, sizeof text, format, &parts) > 0 ? text : "";
}

std::string lasted(WallClock::duration length) {
    const long long seconds =
        std::max<long long>(0, duration_cast<std::chrono::seconds>(length).count());
    const long long minutes = seconds / 60;
    const long long hours = minutes / 60;
    if (seconds < 60) {
        return std::to_string(seconds) + " s";
    }
    if (minutes < 60) {
        return std::to_string(minutes) + " min";
    }
    if (hours < 24) {
        return std::to_string(hours) + " h " + std::to_string(minutes % 60) + " min";
    }
    return std::to_string(hours / 24) + " d " + std::to_string(hours % 24) + " h";
}

// Since when the device is in its state: a state seen first has begun before that.
WallClock::time_point begun(const DeviceRow &row) {
    return row.since.value_or(row.firstSeen);
}

std::string holderCell(const DeviceRow &row) {
    if (row.holderName.empty()) {
        return shown(row.holder);
    }
    return shown(row.holderName) + " (" + shown(row.holder) + ")";
}

std::string sinceCell(const DeviceRow &row, WallClock::time_point now) {
    const std::string begunText = "<time>" + localTime(begun(row), "%Y-%m-%d %H:%M") + "</time>";
    if (!row.since) {
        return "not known, first seen " + begunText;
    }
    return begunText + " <span class=\"lasted\">(" + lasted(now - *row.since) + ")</span>";
}

std::string cell(const char *column, const std::string &html, const char *colour = nullptr) {
    return std::string("<td data-label=\"") + column + "\"" +
           (colour != nullptr ? std::string(" class=\"") + colour + "\"" : "") + ">" + html +
           "</td>";
}

std::string rowHtml(const DeviceRow &row, WallClock::time_point now) {
    const StateLook look = lookOf(row);
    return "<tr>" + cell("Device", shown(row.name.value_or(""))) +
           cell("Kind", row.name ? shown(pszDeviceKindName(row.name->c_str())) : "") +
           cell("Address", shown(row.address)) + cell("State", look.words, look.colour) +
           cell("Held by", holderCell(row)) + cell("Since", sinceCell(row, now)) +
           cell("Last asked",
                "<span class=\"lasted\">" + lasted(now - row.lastAsked) + " ago</span>") +
           "</tr>\n";
}

} // namespace

std::string labPage(std::vector<DeviceRow> rows, WallClock::time_point now) {
    std::sort(rows.begin(), rows.end(), [](const DeviceRow &left, const DeviceRow &right) {
        return std::tuple(lookOf(left).group, begun(left), left.address) <
               std::tuple(lookOf(right).group, begun(right), right.address);
    });
    std::string page =
        std::string("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n") +
        "<meta http-equiv=\"Content-Security-Policy\" content=\"" + kLabPagePolicy + "\">\n" +
        "<meta http-equiv=\"refresh\" content=\"" + std::to_string(kRefreshSeconds) + "\">\n" +
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n" +
        "<title>Orvane devices</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n" +
        "<h1>Orvane devices</h1>\n<p>Devices asked about in the last day: " +
        std::to_string(rows.size()) + ", as of " + localTime(now, "%Y-%m-%d %H:%M:%S %Z") +
        ". \"This PC\" is the one that runs orvane-exporter " + orvane::kVersion + ".</p>\n" +
        "<table>\n<thead><tr><th>Device</th><th>Kind</th><th>Address</th><th>State</th>"
        "<th>Held by</th><th>Since</th><th>Last asked</th></tr></thead>\n<tbody>\n";
    for (const DeviceRow &row : rows) {
        page += rowHtml(row, now);
    }
    return page +
           "</tbody>\n</table>\n<p>For Prometheus: <code>/probe?target=ADDRESS</code>; the "
           "exporter's own counters: <a href=\"/metrics\">/metrics</a>.</p>\n</body>\n</html>\n";
}

} // namespace orvaneexporter
