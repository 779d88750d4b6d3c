// Status lines, exit codes and JSON built from outcomes, including replies with hostile bytes.

#include "CheckReport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace orvanecheck;

namespace {

CheckOutcome answered(OrvaneState state, const std::string &name, const std::string &user,
                      const std::string &userName = "") {
    return {"10.0.0.1", 500, {}, {0, state, name, user, false}, userName, 0.2104, {}};
}

// A query that failed with its result code, or (0 and noRoute) a send that found no network to
// the device.
CheckOutcome failed(std::uint32_t resultCode, std::vector<std::string> messages,
                    bool noRoute = false) {
    const OrvaneAnswer answer = {resultCode, ORVANE_NOT_REACHABLE, "", "", noRoute};
    return {"10.0.0.1", 1000, {}, answer, "", 0.0, std::move(messages)};
}

// The line wine prints for a send without a network to the device.
const std::string kNoRouteLine =
    "OrvaneMonitor::dwGetOrvaneState: Error broadcasting to the clients Unknown error 10051 ";

CheckOutcome slow(CheckOutcome outcome, RttThresholds thresholds, double rttMs) {
    outcome.thresholds = thresholds;
    outcome.rttMs = rttMs;
    return outcome;
}

// The fields of a JSON report that a case is about, each compared by name; every one must be there.
void expectFields(const CheckOutcome &outcome, const char *expectedJson) {
    const nlohmann::json json = nlohmann::json::parse(jsonReport(outcome));
    const nlohmann::json expected = nlohmann::json::parse(expectedJson);
    for (const auto &[field, value] : expected.items()) {
        EXPECT_EQ(json.value(field, nlohmann::json("missing")), value) << field;
    }
}

} // namespace

// Each outcome with its status and output. A slow answer makes OK worse and never makes a worse
// state better; the line says why. The holder's name, where known, comes before its address. A
// host that cannot reach the device is a critical state of the service, not the check's own
// failure. The network layer's own lines follow the status line, never come before it.
TEST(CheckReport, OutputPerStateSlownessAndFailure) {
    const CheckOutcome free = answered(ORVANE_AVAILABLE, "CAPTURE-12", "0.0.0.0");
    const CheckOutcome other = answered(ORVANE_USED_BY_OTHER_PC, "", "192.0.2.7");
    const std::string tooLong = "OrvaneMonitor::dwGetOrvaneState: Error receiving message: Message "
                                "too long";
    const std::string noHash = "ORVANE UNKNOWN - query of 10.0.0.1 failed with result 13 (the "
                               "reply holds no \"#\")\n";
    const std::tuple<CheckOutcome, PluginStatus, std::string> cases[] = {
        {free, PluginStatus::Ok,
         "ORVANE OK - captureORVANE \"CAPTURE-12\" available | rtt=0.210ms;;;0;500\n"},
        {answered(ORVANE_USED_BY_THIS_PC, "SRC-6603", "10.0.0.9"), PluginStatus::Ok,
         "ORVANE OK - sourceORVANE \"SRC-6603\" used by this PC | rtt=0.210ms;;;0;500\n"},
        {answered(ORVANE_USED_BY_OTHER_PC, "", "192.0.2.7 \r\n"), PluginStatus::Warning,
         "ORVANE WARNING - Relay Host used by another PC (192.0.2.7) | rtt=0.210ms;;;0;500\n"},
        {answered(ORVANE_USED_BY_OTHER_PC, "", "192.0.2.7\r\n", "labpc-07"), PluginStatus::Warning,
         "ORVANE WARNING - Relay Host used by another PC (labpc-07, 192.0.2.7) | "
         "rtt=0.210ms;;;0;500\n"},
        {answered(ORVANE_USED_BY_OTHER_PC, "", "192.0.2.7", "a|b\n"), PluginStatus::Warning,
         "ORVANE WARNING - Relay Host used by another PC (a\\x7cb\\x0a, 192.0.2.7) | "
         "rtt=0.210ms;;;0;500\n"},
        {answered(ORVANE_NOT_REACHABLE, "", ""), PluginStatus::Critical,
         "ORVANE CRITICAL - no answer from 10.0.0.1 within 0.5 s\n"},
        {failed(0, {kNoRouteLine}, true), PluginStatus::Critical,
         "ORVANE CRITICAL - the network to 10.0.0.1 is unreachable\n"
         "OrvaneMonitor::dwGetOrvaneState: Error broadcasting to the clients Unknown error "
         "10051\n"},
        {failed(ERR_QUERY_TRANSFER, {tooLong}), PluginStatus::Unknown,
         "ORVANE UNKNOWN - query of 10.0.0.1 failed with result 65 (sending the request or "
         "receiving the reply failed): Error receiving message: Message too long\n" +
             tooLong + "\n"},
        {failed(ERR_QUERY_REPLY, {}), PluginStatus::Unknown, noHash},
        {slow(failed(ERR_QUERY_REPLY, {}), {1, 2}, 500.0), PluginStatus::Unknown, noHash},
        {slow(free, {200, 400}, 200.0), PluginStatus::Ok,
         "ORVANE OK - captureORVANE \"CAPTURE-12\" available | rtt=200.000ms;200;400;0;500\n"},
        {slow(free, {200, 400}, 312.4), PluginStatus::Warning,
         "ORVANE WARNING - captureORVANE \"CAPTURE-12\" available, but the answer took 312.4 ms "
         "(warning above 200 ms) | rtt=312.400ms;200;400;0;500\n"},
        {slow(free, {200, 400}, 400.5), PluginStatus::Critical,
         "ORVANE CRITICAL - captureORVANE \"CAPTURE-12\" available, but the answer took 400.5 ms "
         "(critical above 400 ms) | rtt=400.500ms;200;400;0;500\n"},
        {slow(other, {std::nullopt, 400}, 300.0), PluginStatus::Warning,
         "ORVANE WARNING - Relay Host used by another PC (192.0.2.7) | rtt=300.000ms;;400;0;500\n"},
        {slow(other, {std::nullopt, 400}, 450.0), PluginStatus::Critical,
         "ORVANE CRITICAL - Relay Host used by another PC (192.0.2.7), but the answer took 450.0 "
         "ms (critical above 400 ms) | rtt=450.000ms;;400;0;500\n"},
        {slow(answered(ORVANE_NOT_REACHABLE, "", ""), {1, 2}, 500.0), PluginStatus::Critical,
         "ORVANE CRITICAL - no answer from 10.0.0.1 within 0.5 s\n"}};
    for (const auto &[outcome, status, output] : cases) {
        EXPECT_EQ(pluginOutput(outcome), output);
        EXPECT_EQ(statusLine(outcome), output.substr(0, output.find('\n')));
        EXPECT_EQ(pluginStatusFor(outcome), status) << output;
    }
}

TEST(CheckReport, JsonOfAnAnswerHoldsEveryFieldWithTheReplyBytesIntact) {
    const std::string text = jsonReport(answered(
        ORVANE_USED_BY_OTHER_PC, std::string("N\"\\\x01", 4), "192.0.2.7\r\n", "labpc-07"));
    EXPECT_EQ(text.find('\n'), text.size() - 1);
    EXPECT_EQ(nlohmann::json::parse(text), nlohmann::json::parse(R"({"address":"10.0.0.1",
        "status":"WARNING","exit_code":1,"result":0,"error":null,"state":1,
        "state_name":"ORVANE_USED_BY_OTHER_PC","reply_name":"N\"\\\u0001",
        "device_kind":"captureORVANE","user_address":"192.0.2.7\r\n","user_name":"labpc-07",
        "rtt_ms":0.21,"timeout_ms":500,"warning_ms":null,"critical_ms":null,"messages":[]})"));
}

// The thresholds and the status they give; null for what was never learned.
TEST(CheckReport, JsonCarriesTheThresholdsAndLeavesOutWhatWasNeverLearned) {
    expectFields(slow(answered(ORVANE_USED_BY_THIS_PC, "CAPTURE-1", "10.0.0.9"), {150, 300}, 160.0),
                 R"({"status":"WARNING","exit_code":1,"state_name":"ORVANE_USED_BY_THIS_PC",
                     "warning_ms":150,"critical_ms":300})");
    expectFields(answered(ORVANE_NOT_REACHABLE, "", ""),
                 R"({"status":"CRITICAL","state":0,"reply_name":null,"device_kind":null,
                     "user_address":null,"user_name":null,"rtt_ms":null,"error":null})");
    expectFields(failed(0, {kNoRouteLine}, true),
                 R"({"status":"CRITICAL","exit_code":2,"result":0,
                     "error":"the network to 10.0.0.1 is unreachable",
                     "state_name":"ORVANE_NOT_REACHABLE","rtt_ms":null,"messages":[
                     "OrvaneMonitor::dwGetOrvaneState: Error broadcasting to the )"
                 R"(clients Unknown error 10051 "]})");
    expectFields(failed(ERR_QUERY_TRANSFER, {"OrvaneMonitor::dwGetOrvaneState: x\x01y"}),
                 R"({"status":"UNKNOWN","exit_code":3,"result":65,"state":null,"state_name":null,
                     "error":"result 65 (sending the request or receiving the )"
                 R"(reply failed): x\\x01y",
                     "messages":["OrvaneMonitor::dwGetOrvaneState: x\u0001y"]})");
}
