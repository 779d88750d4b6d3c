// Status lines, exit codes and JSON built from outcomes, including replies with hostile bytes.

#include "CheckReport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

using namespace orvanecheck;

namespace {

CheckOutcome answered(OrvaneState state, const std::string &name, const std::string &user) {
    CheckOutcome outcome;
    outcome.address = "10.0.0.1";
    outcome.timeoutMs = 500;
    outcome.state = state;
    outcome.replyName = name;
    outcome.userAddressKnown = true;
    outcome.userAddress = user;
    outcome.rttMs = 0.2104;
    return outcome;
}

// A send that found no network to the device, with the line wine prints for it.
CheckOutcome withoutNetwork() {
    CheckOutcome outcome;
    outcome.address = "10.0.0.1";
    outcome.noRoute = true;
    outcome.networkMessages = {"OrvaneMonitor::dwGetOrvaneState: Error broadcasting to the clients "
                               "Unknown error 10051 "};
    return outcome;
}

CheckOutcome failed(std::uint32_t resultCode, std::vector<std::string> messages) {
    CheckOutcome outcome;
    outcome.address = "10.0.0.1";
    outcome.resultCode = resultCode;
    outcome.networkMessages = std::move(messages);
    return outcome;
}

} // namespace

TEST(CheckReport, StatusLinePerState) {
    const CheckOutcome free = answered(ORVANE_AVAILABLE, "CAPTURE-12", "0.0.0.0");
    EXPECT_EQ(statusLine(free),
              "ORVANE OK - captureORVANE \"CAPTURE-12\" available | rtt=0.210ms;;;0;500");
    EXPECT_EQ(pluginStatusFor(free), PluginStatus::Ok);

    const CheckOutcome mine = answered(ORVANE_USED_BY_THIS_PC, "SRC-6603", "10.0.0.9");
    EXPECT_EQ(statusLine(mine),
              "ORVANE OK - sourceORVANE \"SRC-6603\" used by this PC | rtt=0.210ms;;;0;500");

    const CheckOutcome other = answered(ORVANE_USED_BY_OTHER_PC, "", "192.0.2.7 \r\n");
    EXPECT_EQ(statusLine(other),
              "ORVANE WARNING - Relay Host used by another PC (192.0.2.7) | rtt=0.210ms;;;0;500");
    EXPECT_EQ(pluginStatusFor(other), PluginStatus::Warning);

    CheckOutcome silent = answered(ORVANE_NOT_REACHABLE, "", "");
    silent.timeoutMs = 200;
    EXPECT_EQ(statusLine(silent), "ORVANE CRITICAL - no answer from 10.0.0.1 within 0.2 s");
    EXPECT_EQ(pluginStatusFor(silent), PluginStatus::Critical);

    // A host that cannot reach the device is a critical state of the service, not the check's
    // own failure; the system's words follow on the next line.
    const CheckOutcome unreachable = withoutNetwork();
    EXPECT_EQ(pluginStatusFor(unreachable), PluginStatus::Critical);
    EXPECT_EQ(pluginOutput(unreachable),
              "ORVANE CRITICAL - the network to 10.0.0.1 is unreachable\n"
              "OrvaneMonitor::dwGetOrvaneState: Error broadcasting to the clients Unknown error "
              "10051\n");
}

// A slow answer makes OK worse and never makes a worse state better; the line says why.
TEST(CheckReport, SlowAnswersAgainstTheThresholds) {
    CheckOutcome outcome = answered(ORVANE_AVAILABLE, "CAPTURE-12", "0.0.0.0");
    outcome.thresholds = {200, 400};
    outcome.rttMs = 200.0;
    EXPECT_EQ(statusLine(outcome),
              "ORVANE OK - captureORVANE \"CAPTURE-12\" available | rtt=200.000ms;200;400;0;500");

    outcome.rttMs = 312.4;
    EXPECT_EQ(pluginStatusFor(outcome), PluginStatus::Warning);
    EXPECT_EQ(statusLine(outcome),
              "ORVANE WARNING - captureORVANE \"CAPTURE-12\" available, but the answer took 312.4 "
              "ms (warning above 200 ms) | rtt=312.400ms;200;400;0;500");

    outcome.rttMs = 400.5;
    EXPECT_EQ(statusLine(outcome),
              "ORVANE CRITICAL - captureORVANE \"CAPTURE-12\" available, but the answer took "
              "400.5 ms (critical above 400 ms) | rtt=400.500ms;200;400;0;500");

    CheckOutcome other = answered(ORVANE_USED_BY_OTHER_PC, "", "192.0.2.7");
    other.thresholds.criticalMs = 400;
    other.rttMs = 300.0;
    EXPECT_EQ(statusLine(other), "ORVANE WARNING - Relay Host used by another PC (192.0.2.7) | "
                                 "rtt=300.000ms;;400;0;500");
    other.rttMs = 450.0;
    EXPECT_EQ(pluginStatusFor(other), PluginStatus::Critical);
    EXPECT_EQ(statusLine(other).rfind("ORVANE CRITICAL - Relay Host used by another PC "
                                      "(192.0.2.7), but the answer took 450.0 ms (critical",
                                      0),
              0U);

    CheckOutcome silent = answered(ORVANE_NOT_REACHABLE, "", "");
    silent.thresholds = {1, 2};
    silent.rttMs = 500.0;
    EXPECT_EQ(statusLine(silent), "ORVANE CRITICAL - no answer from 10.0.0.1 within 0.5 s");
    CheckOutcome broken = failed(ERR_QUERY_REPLY, {});
    broken.thresholds = {1, 2};
    broken.rttMs = 500.0;
    EXPECT_EQ(pluginStatusFor(broken), PluginStatus::Unknown);
}

TEST(CheckReport, FailureNamesResultCodeAndTheNetworkLayersErrorText) {
    const CheckOutcome outcome = failed(
        ERR_QUERY_TRANSFER, {"OrvaneMonitor::dwGetOrvaneState: Error receiving message: Message "
                             "too long"});
    EXPECT_EQ(pluginStatusFor(outcome), PluginStatus::Unknown);
    EXPECT_EQ(statusLine(outcome),
              "ORVANE UNKNOWN - query of 10.0.0.1 failed with result 65 (sending the request or "
              "receiving the reply failed): Error receiving message: Message too long");
    // The network layer's own line follows the status line, never before it.
    EXPECT_EQ(pluginOutput(outcome), statusLine(outcome) +
                                         "\nOrvaneMonitor::dwGetOrvaneState: Error receiving "
                                         "message: Message too long\n");

    EXPECT_EQ(statusLine(failed(ERR_QUERY_REPLY, {})),
              "ORVANE UNKNOWN - query of 10.0.0.1 failed with result 13 (the reply holds no "
              "\"#\")");
}

TEST(CheckReport, SecondsAreShownAsAUserWritesThem) {
    EXPECT_EQ(formatSeconds(200), "0.2");
    EXPECT_EQ(formatSeconds(1000), "1");
    EXPECT_EQ(formatSeconds(1500), "1.5");
    EXPECT_EQ(formatSeconds(1), "0.001");
    EXPECT_EQ(formatSeconds(3600000), "3600");
}

TEST(CheckReport, JsonOfAnAnswerHoldsEveryFieldWithTheReplyBytesIntact) {
    const CheckOutcome outcome =
        answered(ORVANE_USED_BY_OTHER_PC, std::string("N\"\\\x01", 4), "192.0.2.7\r\n");
    const std::string text = jsonReport(outcome);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
    const nlohmann::json json = nlohmann::json::parse(text);
    EXPECT_EQ(json["address"], "10.0.0.1");
    EXPECT_EQ(json["status"], "WARNING");
    EXPECT_EQ(json["exit_code"], 1);
    EXPECT_EQ(json["result"], 0);
    EXPECT_TRUE(json["error"].is_null());
    EXPECT_EQ(json["state"], 1);
    EXPECT_EQ(json["state_name"], "ORVANE_USED_BY_OTHER_PC");
    EXPECT_EQ(json["reply_name"], std::string("N\"\\\x01", 4));
    EXPECT_EQ(json["device_kind"], "captureORVANE");
    EXPECT_EQ(json["user_address"], "192.0.2.7\r\n");
    EXPECT_DOUBLE_EQ(json["rtt_ms"].get<double>(), 0.21);
    EXPECT_EQ(json["timeout_ms"], 500);
    EXPECT_TRUE(json["warning_ms"].is_null());
    EXPECT_TRUE(json["critical_ms"].is_null());
    EXPECT_TRUE(json["messages"].empty());
}

TEST(CheckReport, JsonCarriesTheThresholdsAndTheStatusTheyGive) {
    CheckOutcome outcome = answered(ORVANE_USED_BY_THIS_PC, "CAPTURE-1", "10.0.0.9");
    outcome.thresholds = {150, 300};
    outcome.rttMs = 160.0;
    const nlohmann::json json = nlohmann::json::parse(jsonReport(outcome));
    EXPECT_EQ(json["status"], "WARNING");
    EXPECT_EQ(json["exit_code"], 1);
    EXPECT_EQ(json["state_name"], "ORVANE_USED_BY_THIS_PC");
    EXPECT_EQ(json["warning_ms"], 150);
    EXPECT_EQ(json["critical_ms"], 300);
}

TEST(CheckReport, JsonLeavesOutWhatWasNeverLearned) {
    const nlohmann::json silent =
        nlohmann::json::parse(jsonReport(answered(ORVANE_NOT_REACHABLE, "", "")));
    EXPECT_EQ(silent["status"], "CRITICAL");
    EXPECT_EQ(silent["state"], 0);
    for (const char *field : {"reply_name", "device_kind", "user_address", "rtt_ms", "error"}) {
        EXPECT_TRUE(silent[field].is_null()) << field;
    }

    const nlohmann::json unreachable = nlohmann::json::parse(jsonReport(withoutNetwork()));
    EXPECT_EQ(unreachable["status"], "CRITICAL");
    EXPECT_EQ(unreachable["exit_code"], 2);
    EXPECT_EQ(unreachable["result"], 0);
    EXPECT_EQ(unreachable["state_name"], "ORVANE_NOT_REACHABLE");
    EXPECT_EQ(unreachable["error"], "the network to 10.0.0.1 is unreachable");
    EXPECT_TRUE(unreachable["rtt_ms"].is_null());
    EXPECT_EQ(unreachable["messages"].size(), 1U);

    const nlohmann::json broken = nlohmann::json::parse(
        jsonReport(failed(ERR_QUERY_TRANSFER, {"OrvaneMonitor::dwGetOrvaneState: x\x01y"})));
    EXPECT_EQ(broken["status"], "UNKNOWN");
    EXPECT_EQ(broken["exit_code"], 3);
    EXPECT_EQ(broken["result"], 65);
    EXPECT_TRUE(broken["state"].is_null());
    EXPECT_TRUE(broken["state_name"].is_null());
    EXPECT_NE(broken["error"].get<std::string>().find("result 65"), std::string::npos);
    ASSERT_EQ(broken["messages"].size(), 1U);
    EXPECT_EQ(broken["messages"][0], "OrvaneMonitor::dwGetOrvaneState: x\x01y");
}
