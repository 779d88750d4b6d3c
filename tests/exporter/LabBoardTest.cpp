// The lab as the exporter sees it: since when each device is in its state, the table's bounds,
// the series of /probe and the page at /, on the exporter's own clock (TZ=UTC).
#include "LabBoard.h"
#include "Exposition.h"
#include "LabPage.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace std::chrono_literals;
using namespace orvaneexporter;

const WallClock::time_point t0 = WallClock::from_time_t(1796738400); // 2026-12-08 14:00 UTC

ProbeResult answered(OrvaneState state, const std::string &holder = "") {
    ProbeResult result;
    result.answer.eState = state;
    result.answer.sName = state == ORVANE_NOT_REACHABLE ? "" : "CAPTURE-12"; // as the query gives
    result.answer.sUser = holder;
    return result;
}

ProbeResult unreadable() {
    ProbeResult result;
    result.answer.dwResult = ERR_QUERY_REPLY;
    return result;
}

bool contains(const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
}

TEST(LabBoardTest, SinceStaysThroughTheSameStateAndMovesOnAChangeOfStateOrHolder) {
    struct Step {
        ProbeResult result;
        int since; // the step whose time it is; -1: not known
    };
    const Step steps[] = {
        {answered(ORVANE_AVAILABLE), -1}, // the state first seen began before
        {answered(ORVANE_AVAILABLE), -1},
        {answered(ORVANE_USED_BY_OTHER_PC, "192.0.2.7"), 2},
        {answered(ORVANE_USED_BY_OTHER_PC, " 192.0.2.7\r\n"), 2},
        {answered(ORVANE_USED_BY_OTHER_PC, "192.0.2.8"), 4},
        {answered(ORVANE_USED_BY_THIS_PC, "192.0.2.8"), 5},
        {answered(ORVANE_NOT_REACHABLE), 6},
        {unreadable(), 6}, // no state read: no change
        {unreadable(), 6},
        {answered(ORVANE_AVAILABLE, "0.0.0.0"), 9},
    };
    LabBoard board;
    for (int i = 0; i < int(std::size(steps)); ++i) {
        const DeviceRow row = board.record("127.0.4.55", steps[i].result, t0 + i * 10s);
        const int since = steps[i].since;
        EXPECT_EQ(row.since, since < 0 ? std::nullopt : std::optional(t0 + since * 10s)) << i;
        EXPECT_EQ(row.firstSeen, t0);
        EXPECT_EQ(row.name, "CAPTURE-12") << i; // kept while the device gives none
        EXPECT_EQ(row.lastAsked, t0 + i * 10s);
    }

    // The series: a change's time, and the holder by address and, once looked up, by name.
    EXPECT_EQ(historyExposition(board.record("127.0.4.56", answered(ORVANE_AVAILABLE), t0)), "");
    DeviceRow held =
        board.record("127.0.4.56", answered(ORVANE_USED_BY_OTHER_PC, "192.0.2.7"), t0 + 90s);
    for (int tries = 0; tries < 2000 && held.holderName.empty(); ++tries) {
        std::this_thread::sleep_for(5ms);
        held = board.record("127.0.4.56", answered(ORVANE_USED_BY_OTHER_PC, "192.0.2.7"), t0);
    }
    const std::string series = historyExposition(held);
    EXPECT_TRUE(contains(series, "\norvane_state_change_timestamp_seconds 1796738490\n")) << series;
    EXPECT_TRUE(
        contains(series, "\norvane_holder_info{holder=\"192.0.2.7\",holder_name=\"labpc-07\"} 1\n"))
        << series;
}

TEST(LabBoardTest, KeepsAtMostItsRowsAndNoneNotAskedForADay) {
    LabBoard board;
    for (std::size_t i = 0; i <= LabBoard::kMaxRows; ++i) {
        board.record("device-" + std::to_string(i), answered(ORVANE_AVAILABLE), t0 + i * 1s);
    }
    std::vector<DeviceRow> rows = board.rows(t0 + 2000s);
    ASSERT_EQ(rows.size(), LabBoard::kMaxRows);
    EXPECT_TRUE(std::none_of(rows.begin(), rows.end(),
                             [](const DeviceRow &row) { return row.address == "device-0"; }));
    board.record("device-1", answered(ORVANE_AVAILABLE), t0 + 2000s);
    rows = board.rows(t0 + 2000s + LabBoard::kRowLife - 1s);
    ASSERT_EQ(rows.size(), 1U);
    EXPECT_EQ(rows[0].address, "device-1");
}

TEST(LabBoardTest, PageShowsTheRowsAsTextInTheirColoursFreeFirstLongestFirst) {
    const auto asked = t0 + 3h;
    const DeviceRow hostile{.address = "127.0.4.51",
                            .name = "<img src=x onerror=alert(1)>\xff",
                            .state = ORVANE_AVAILABLE,
                            .firstSeen = t0,
                            .lastAsked = asked};
    const DeviceRow longFree{.address = "127.0.4.50",
                             .name = "SRC-66",
                             .state = ORVANE_AVAILABLE,
                             .since = t0 - 26h,
                             .lastAsked = asked};
    const DeviceRow held{.address = "127.0.4.52",
                         .name = "CAPTURE-12",
                         .state = ORVANE_USED_BY_OTHER_PC,
                         .holder = "192.0.2.7",
                         .holderName = "labpc-07",
                         .since = t0 + 60s,
                         .lastAsked = asked};
    const DeviceRow silent{
        .address = "127.0.4.53", .state = ORVANE_NOT_REACHABLE, .lastAsked = asked};
    const DeviceRow unread{.address = "127.0.4.54", .failure = "bad_reply", .lastAsked = asked};
    const std::string page = labPage({unread, silent, held, hostile, longFree}, t0 + 3h + 5s);

    EXPECT_FALSE(contains(page, "<img")) << page;
    EXPECT_FALSE(contains(page, "<script")) << page;
    const std::string cells[] = {
        // free first, the longest free first; a state first seen has no known beginning
        "<td data-label=\"Device\">SRC-66</td><td data-label=\"Kind\">sourceORVANE</td>"
        "<td data-label=\"Address\">127.0.4.50</td>"
        "<td data-label=\"State\" class=\"available\">available</td>"
        "<td data-label=\"Held by\"></td><td data-label=\"Since\"><time>2026-12-07 12:00</time> "
        "<span class=\"lasted\">(1 d 5 h)</span></td>"
        "<td data-label=\"Last asked\"><span class=\"lasted\">5 s ago</span></td>",
        "<td data-label=\"Device\">&lt;img src=x onerror=alert(1)&gt;\\xff</td>",
        "<td data-label=\"Since\">not known, first seen <time>2026-12-08 14:00</time></td>",
        "<td data-label=\"State\" class=\"other\">used by another PC</td>"
        "<td data-label=\"Held by\">labpc-07 (192.0.2.7)</td>"
        "<td data-label=\"Since\"><time>2026-12-08 14:01</time> "
        "<span class=\"lasted\">(2 h 59 min)</span></td>",
        "<td data-label=\"Device\"></td><td data-label=\"Kind\"></td>"
        "<td data-label=\"Address\">127.0.4.53</td>"
        "<td data-label=\"State\" class=\"unreachable\">no connection</td>",
        "<td data-label=\"State\" class=\"nostate\">no state (bad_reply)</td>",
    };
    std::size_t previous = 0;
    for (const std::string &part : cells) {
        const std::size_t at = page.find(part);
        EXPECT_NE(at, std::string::npos) << part << "\n" << page;
        EXPECT_GE(at, previous) << part;
        previous = at == std::string::npos ? previous : at;
    }
    for (const char *head :
         {"<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none';",
          "<meta http-equiv=\"refresh\" content=\"10\">", "<meta name=\"viewport\"",
          "Devices asked about in the last day: 5, as of 2026-12-08 17:00:05 UTC."}) {
        EXPECT_TRUE(contains(page, head)) << head;
    }
}

} // namespace
