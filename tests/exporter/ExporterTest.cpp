// The exporter's server in the test's own process, on 127.0.4.10, against simulated devices on
// 127.0.4.30 - 127.0.4.39: bad requests, the scrape time-out header, a device's bytes in the
// labels and on the page, and failed queries counted by cause.
#include "ExporterServer.h"
#include "OnTimeReceive.h"
#include "SimulatedDevice.h"

#include <gtest/gtest.h>
#include <regex>
#include <thread>

namespace {

constexpr char kExporter[] = "127.0.4.10";

class ExporterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { orvaneexporter::receiveRepliesOnTime(); }
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(server.bind(kExporter, 0, &error)) << error;
        serving = std::thread([this] { server.serve(); });
    }
    void TearDown() override {
        if (!serving.joinable())
            return; // never bound: nothing serves, nothing to stop
        server.stop();
        serving.join();
    }

    httplib::Result get(const std::string &path, const httplib::Headers &headers = {}) {
        httplib::Client client(kExporter, server.port());
        client.set_read_timeout(10);
        return client.Get(path.c_str(), headers);
    }

    // A device on address that answers every request with exactly these bytes, or not at all.
    void startDevice(const std::string &address, const std::string *reply) {
        devices.push_back(std::make_unique<simdevice::SimulatedDevice>());
        ASSERT_TRUE(devices.back()->start(address));
        reply != nullptr ? devices.back()->answerRaw(*reply) : devices.back()->beSilent();
    }

    orvaneexporter::ExporterServer server;
    std::thread serving;
    std::vector<std::unique_ptr<simdevice::SimulatedDevice>> devices;
};

TEST_F(ExporterTest, BadRequestsGet400WithOneLineAndProbeNothing) {
    for (const char *path :
         {"/probe", "/probe?target=", "/probe?target=127.0.4.300", "/probe?target=%22x%0Ay",
          "/probe?target=127.0.4.30&target=127.0.4.31", "/probe?target=127.0.4.30&timeout=0",
          "/probe?target=127.0.4.30&timeout=1e3", "/probe?target=127.0.4.30&timeout=3601"}) {
        const httplib::Result result = get(path);
        ASSERT_TRUE(result) << path;
        EXPECT_EQ(result->status, 400) << path;
        EXPECT_EQ(result->body.find('\n'), result->body.size() - 1) << path << ": " << result->body;
    }
    EXPECT_NE(get("/metrics")->body.find("\norvane_exporter_probes_total 0\n"), std::string::npos);
}

// cpp-httplib's own socket options would let a second exporter share the port, unnoticed.
TEST_F(ExporterTest, ASecondExporterCannotTakeThePort) {
    orvaneexporter::ExporterServer second;
    std::string error;
    EXPECT_FALSE(second.bind(kExporter, server.port(), &error));
}

TEST_F(ExporterTest, ScrapeTimeoutHeaderCapsTheWaitForASilentDevice) {
    startDevice("127.0.4.30", nullptr);
    struct Case {
        const char *query;
        const char *scrapeTimeout;
        double waitSeconds;
    };
    for (const Case &c : {Case{"&timeout=5", "1", 0.5}, Case{"&timeout=5", "2.5", 2.0},
                          Case{"&timeout=0.2", "10", 0.2}, Case{"", "garbage", 1.0}}) {
        const httplib::Headers headers{{"X-Prometheus-Scrape-Timeout-Seconds", c.scrapeTimeout}};
        const std::string body =
            get(std::string("/probe?target=127.0.4.30") + c.query, headers)->body;
        std::smatch duration;
        ASSERT_TRUE(std::regex_search(body, duration,
                                      std::regex("\norvane_probe_duration_seconds ([0-9.]+)\n")));
        EXPECT_NEAR(std::stod(duration[1]), c.waitSeconds, 0.1) << c.query << body;
        EXPECT_NE(body.find("\norvane_probe_success 0\n"), std::string::npos);
        EXPECT_NE(body.find("\norvane_state{state=\"not_reachable\"} 1\n"), std::string::npos);
    }
}

TEST_F(ExporterTest, RepliesReachTheLabelsEscapedAndFailuresAreCountedByCause) {
    std::string everyByte;
    for (int byte = 1; byte < 128; ++byte) {
        everyByte += char(byte == 35 ? 0xff : byte); // the "#" last
    }
    struct Case {
        std::string reply;
        const char *expected; // a line of /probe's answer
    };
    const Case cases[] = {
        {"a\"b\\c\n\xff#192.0.2.7",
         "orvane_device_info{name=\"a\\\"b\\\\c\\\\x0a\\\\xff\",kind=\"captureORVANE\","
         "holder=\"192.0.2.7\"} 1"},
        {"SRC-66#0.0.0.0",
         "orvane_device_info{name=\"SRC-66\",kind=\"sourceORVANE\",holder=\"\"} 1"},
        {"#192.0.2.7 ", "orvane_state{state=\"used_by_other_pc\"} 1"},
        {everyByte + "#", "orvane_probe_success 1"},
        {"CAPTURE-3", "orvane_probe_success 0"},           // no "#": bad_reply
        {std::string(129, '#'), "orvane_probe_success 0"}, // longer than a reply: transfer
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::string address = "127.0.4.3" + std::to_string(i + 1);
        startDevice(address, &cases[i].reply);
        const std::string body = get("/probe?target=" + address)->body;
        EXPECT_NE(body.find(std::string("\n") + cases[i].expected + "\n"), std::string::npos)
            << body;
        EXPECT_TRUE(std::all_of(body.begin(), body.end(),
                                [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7f); }));
        EXPECT_EQ(body.find("orvane_state") == std::string::npos, i >= 4) << body;
    }
    // Every probe reaches the series of the holder and the page at /, its texts as text.
    EXPECT_NE(get("/probe?target=127.0.4.31")
                  ->body.find("\norvane_holder_info{holder=\"192.0.2.7\",holder_name=\""),
              std::string::npos);
    const httplib::Result page = get("/");
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(page->get_header_value("Content-Security-Policy").rfind("default-src 'none';", 0),
              0U);
    for (const char *cell : {"<td data-label=\"Device\">a&quot;b\\c\\x0a\\xff</td>",
                             "<td data-label=\"Address\">127.0.4.36</td>"}) {
        EXPECT_NE(page->body.find(cell), std::string::npos) << cell << page->body;
    }
    const std::string metrics = get("/metrics")->body;
    for (const char *line : {"orvane_exporter_probes_total 7",
                             "orvane_exporter_probe_failures_total{cause=\"bad_reply\"} 1",
                             "orvane_exporter_probe_failures_total{cause=\"transfer\"} 1",
                             "orvane_exporter_probe_failures_total{cause=\"no_answer\"} 0",
                             "orvane_exporter_probe_duration_seconds_count 7"}) {
        EXPECT_NE(metrics.find(std::string("\n") + line + "\n"), std::string::npos) << line;
    }
}

} // namespace
