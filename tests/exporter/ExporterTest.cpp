// The exporter's server in the test's own process, on 127.0.4.10, against simulated devices on
// 127.0.4.30 - 127.0.4.39: bad requests, the bounds of a request, the scrape time-out header and
// the exporter's maximum, a full queue and a stop with probes in flight, a device's bytes in the
// labels and on the page, and failed queries counted by cause.
#include "ExporterServer.h"
#include "OnTimeReceive.h"
#include "SimulatedDevice.h"

#include <arpa/inet.h>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <regex>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

constexpr char kExporter[] = "127.0.4.10";

struct Answer {
    int status = 0;   // none: the connection ended without an answer
    std::string head; // the status line and the headers
    std::string body;
};

// Sends the request on a connection of its own, a byte at a time with a pause between them
// where one is given, and reads the answer to its end.
Answer exchange(int port, const std::string &request, std::chrono::milliseconds pause = 0ms) {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    ::inet_pton(AF_INET, kExporter, &address.sin_addr);
    const timeval patience{15, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    std::string text;
    if (::connect(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        const std::size_t step = pause > 0ms ? 1 : request.size();
        // A send fails where the exporter refused the request before its end; the answer says why.
        for (std::size_t at = 0; at < request.size(); at += step) {
            if (::send(socket, request.data() + at, std::min(step, request.size() - at),
                       MSG_NOSIGNAL) < 0) {
                break;
            }
            std::this_thread::sleep_for(pause);
        }
        char buffer[4096];
        for (ssize_t got; (got = ::recv(socket, buffer, sizeof buffer, 0)) > 0;) {
            text.append(buffer, std::size_t(got));
        }
    }
    ::close(socket);
    Answer answer;
    std::smatch status;
    if (std::regex_search(text, status, std::regex("^HTTP/1\\.[01] ([0-9]{3}) "))) {
        answer.status = std::stoi(status[1]);
        const std::size_t headEnd = text.find("\r\n\r\n");
        answer.head = text.substr(0, headEnd + 2);
        answer.body = text.substr(headEnd + 4);
    }
    return answer;
}

std::string getRequest(const std::string &path, const std::string &headers = "") {
    return "GET " + path + " HTTP/1.1\r\nHost: " + kExporter + "\r\n" + headers + "\r\n";
}

bool hasLine(const std::string &text, const std::string &line) {
    return text.find("\n" + line + "\n") != std::string::npos;
}

class ExporterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { orvaneexporter::receiveRepliesOnTime(); }
    // Short bounds, so that the tests reach them quickly: two workers, and four probes taken at
    // once.
    void SetUp() override {
        orvaneexporter::ExporterLimits limits;
        limits.maxTimeoutMs = 2200;
        limits.http.requestDeadline = 500ms;
        limits.probeWorkers = 2;
        limits.probesTaken = 4;
        server = std::make_unique<orvaneexporter::ExporterServer>(limits);
        std::string error;
        ASSERT_TRUE(server->start(kExporter, 0, &error)) << error;
    }

    Answer get(const std::string &path, const std::string &headers = "") {
        return exchange(server->port(), getRequest(path, headers));
    }

    // Whether /metrics shows the line within two seconds (what the server counts after the
    // client has its answer: the library's own refusals, the probes in flight).
    bool metricsShow(const std::string &line) {
        for (int tries = 0; tries < 200; ++tries, std::this_thread::sleep_for(10ms)) {
            if (hasLine(get("/metrics").body, line)) {
                return true;
            }
        }
        return false;
    }

    // A device on address that answers every request with exactly these bytes, or not at all.
    void startDevice(const std::string &address, const std::string *reply) {
        devices.push_back(std::make_unique<simdevice::SimulatedDevice>());
        ASSERT_TRUE(devices.back()->start(address));
        reply != nullptr ? devices.back()->answerRaw(*reply) : devices.back()->beSilent();
    }

    std::unique_ptr<orvaneexporter::ExporterServer> server;
    std::vector<std::unique_ptr<simdevice::SimulatedDevice>> devices;
};

TEST_F(ExporterTest, BadRequestsGet400WithOneLineAndProbeNothing) {
    const char *paths[] = {
        "/probe", "/probe?target=", "/probe?target=127.0.4.300", "/probe?target=%22x%0Ay",
        "/probe?target=127.0.4.30&target=127.0.4.31", "/probe?target=127.0.4.30&timeout=0",
        "/probe?target=127.0.4.30&timeout=1e3", "/probe?target=127.0.4.30&timeout=3601",
        // no one device
        "/probe?target=0.0.0.0", "/probe?target=0.1.2.3", "/probe?target=255.255.255.255",
        "/probe?target=224.0.0.1", "/probe?target=239.255.255.250", "/probe?target=240.0.0.1"};
    for (const char *path : paths) {
        const Answer answer = get(path);
        EXPECT_EQ(answer.status, 400) << path;
        EXPECT_EQ(answer.body.find('\n'), answer.body.size() - 1) << path << ": " << answer.body;
    }
    const std::string metrics = get("/metrics").body;
    EXPECT_TRUE(hasLine(metrics, "orvane_exporter_probes_total 0")) << metrics;
    EXPECT_TRUE(hasLine(metrics, "orvane_exporter_requests_refused_total{cause=\"bad_request\"} " +
                                     std::to_string(std::size(paths))))
        << metrics;
}

// The library's own socket options would let a second exporter share the port, unnoticed.
TEST_F(ExporterTest, ASecondExporterCannotTakeThePort) {
    orvaneexporter::ExporterServer second;
    std::string error;
    EXPECT_FALSE(second.start(kExporter, server->port(), &error));
}

// Each bound answered with its status, however the request comes: nothing of it reaches a
// probe, and the exporter serves on.
TEST_F(ExporterTest, RequestsBeyondTheBoundsAreRefusedWithTheirStatus) {
    std::string headers;
    for (int i = 0; i < 300; ++i) {
        headers += "X-Header-" + std::to_string(i) + ": a\r\n";
    }
    struct Case {
        std::string request;
        std::chrono::milliseconds pause;
        int status;
    };
    const Case cases[] = {
        {getRequest("/probe?target=127.0.4.30&x=" + std::string(64 * 1024, 'a')), 0ms, 414},
        {getRequest("/metrics", headers), 0ms, 431},
        {getRequest("/metrics", "Content-Length: 1000\r\n") + std::string(1000, 'b'), 0ms, 413},
        {"POST /metrics HTTP/1.0\r\nTransfer-Encoding: chunked\r\n\r\n", 0ms, 413},
        {"POST /metrics HTTP/1.0\r\n\r\n", 0ms, 405},
        // a byte every tenth of a second: never idle, but not whole within half a second
        {getRequest("/metrics"), 100ms, 408},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(exchange(server->port(), c.request, c.pause).status, c.status)
            << c.request.substr(0, 60);
    }
    for (const std::string cause : {"body\"} 2", "method\"} 1", "slow\"} 1", "unread\"} 2"}) {
        EXPECT_TRUE(metricsShow("orvane_exporter_requests_refused_total{cause=\"" + cause))
            << cause;
    }
    EXPECT_TRUE(metricsShow("orvane_exporter_probes_total 0"));
}

TEST_F(ExporterTest, ScrapeTimeoutHeaderAndTheMaximumCapTheWaitForASilentDevice) {
    startDevice("127.0.4.30", nullptr);
    struct Case {
        const char *query;
        const char *scrapeTimeout;
        double waitSeconds;
    };
    for (const Case &c : {Case{"&timeout=5", "1", 0.5}, Case{"&timeout=5", "2.5", 2.0},
                          Case{"&timeout=0.2", "10", 0.2}, Case{"", "garbage", 1.0},
                          Case{"&timeout=3600", "60", 2.2}}) {
        const std::string header =
            std::string("X-Prometheus-Scrape-Timeout-Seconds: ") + c.scrapeTimeout + "\r\n";
        const std::string body =
            get(std::string("/probe?target=127.0.4.30") + c.query, header).body;
        std::smatch duration;
        ASSERT_TRUE(std::regex_search(body, duration,
                                      std::regex("\norvane_probe_duration_seconds ([0-9.]+)\n")));
        EXPECT_NEAR(std::stod(duration[1]), c.waitSeconds, 0.1) << c.query << body;
        EXPECT_TRUE(hasLine(body, "orvane_probe_success 0"));
        EXPECT_TRUE(hasLine(body, "orvane_state{state=\"not_reachable\"} 1"));
    }
}

// A second probe of a device waits for the first, although a worker is free, and a third as
// well; a probe that finds two of its device waiting, or the queue full, or could not start in
// time to wait its whole time-out, is answered 503 and says so; stopping answers a probe in
// flight at once, as refused.
TEST_F(ExporterTest, OverloadAndStopAreAnswered503NeverAsADeviceDown) {
    startDevice("127.0.4.37", nullptr);
    startDevice("127.0.4.38", nullptr);
    const auto probe = [this](const char *target = "127.0.4.37") {
        return std::async(std::launch::async, [this, target] {
            return get(std::string("/probe?target=") + target + "&timeout=1.5");
        });
    };
    auto running = probe();
    ASSERT_TRUE(metricsShow("orvane_exporter_probes_in_flight 1"));
    // Each due 2.2 s after it came, so each must start within 0.7 s.
    auto waiting = probe();
    auto waitingToo = probe();
    ASSERT_TRUE(metricsShow("orvane_exporter_probes_queued 2"));
    const Answer sameDevice = get("/probe?target=127.0.4.37");
    EXPECT_EQ(sameDevice.status, 503);
    EXPECT_NE(sameDevice.body.find("probes of this device are waiting already"), std::string::npos)
        << sameDevice.body;
    auto other = probe("127.0.4.38");
    ASSERT_TRUE(metricsShow("orvane_exporter_probes_in_flight 2"));

    const Answer full = get("/probe?target=127.0.4.39");
    EXPECT_EQ(full.status, 503);
    EXPECT_NE(full.body.find("running or waiting already"), std::string::npos) << full.body;
    for (auto *late : {&waiting, &waitingToo}) {
        const Answer answer = late->get();
        EXPECT_EQ(answer.status, 503);
        EXPECT_NE(answer.body.find("could not start in time"), std::string::npos) << answer.body;
    }
    EXPECT_TRUE(hasLine(running.get().body, "orvane_probe_success 0")); // the silent device
    EXPECT_TRUE(hasLine(other.get().body, "orvane_probe_success 0"));

    auto inFlight = probe();
    ASSERT_TRUE(metricsShow("orvane_exporter_probes_in_flight 1"));
    server->stop();
    const Answer stopped = inFlight.get();
    EXPECT_EQ(stopped.status, 503);
    EXPECT_EQ(stopped.body, "the exporter is stopping\n");
}

// The soft descriptor limit is raised to what the connections and probes need; a hard limit
// below that leaves fewer connections, never the probes' sockets short. (This lowers the test
// process' own hard limit for good.)
TEST(ExporterLimits, DescriptorsForEveryConnectionAndProbeOrFewerConnections) {
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    ASSERT_GE(limit.rlim_max, 1824U) << "the hard limit leaves nothing to raise";
    limit.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    orvaneexporter::ExporterLimits limits;
    EXPECT_EQ(orvaneexporter::fitDescriptorLimit(limits), "");
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    EXPECT_EQ(limit.rlim_cur, 1024U + 3 * 256 + 32);

    limit = {1200, 1200};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    EXPECT_NE(orvaneexporter::fitDescriptorLimit(limits), "");
    EXPECT_EQ(limits.http.connections, 1200U - 3 * 256 - 32);
    EXPECT_EQ(limits.probesTaken, limits.http.connections);
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
        const std::string body = get("/probe?target=" + address).body;
        EXPECT_TRUE(hasLine(body, cases[i].expected)) << body;
        EXPECT_TRUE(std::all_of(body.begin(), body.end(),
                                [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7f); }));
        EXPECT_EQ(body.find("orvane_state") == std::string::npos, i >= 4) << body;
    }
    // Every probe reaches the series of the holder and the page at /, its texts as text; an
    // address written another way is the same device, in the same row.
    EXPECT_NE(get("/probe?target=127.0.04.31")
                  .body.find("\norvane_holder_info{holder=\"192.0.2.7\",holder_name=\""),
              std::string::npos);
    const Answer page = get("/");
    EXPECT_NE(page.head.find("\r\nContent-Type: text/html; charset=utf-8\r\n"), std::string::npos);
    EXPECT_NE(page.head.find("\r\nContent-Security-Policy: default-src 'none';"), std::string::npos)
        << page.head;
    for (const char *cell : {"<td data-label=\"Device\">a&quot;b\\c\\x0a\\xff</td>",
                             "<td data-label=\"Address\">127.0.4.36</td>"}) {
        EXPECT_NE(page.body.find(cell), std::string::npos) << cell << page.body;
    }
    EXPECT_EQ(page.body.find("127.0.04.31"), std::string::npos);
    const std::string metrics = get("/metrics").body;
    for (const char *line : {"orvane_exporter_probes_total 7",
                             "orvane_exporter_probe_failures_total{cause=\"bad_reply\"} 1",
                             "orvane_exporter_probe_failures_total{cause=\"transfer\"} 1",
                             "orvane_exporter_probe_failures_total{cause=\"no_answer\"} 0",
                             "orvane_exporter_probe_duration_seconds_count 7"}) {
        EXPECT_TRUE(hasLine(metrics, line)) << line;
    }
    // The process' own, as an admin looks for them on every exporter.
    for (const char *name : {"process_cpu_seconds_total", "process_resident_memory_bytes",
                             "process_open_fds", "process_max_fds", "process_start_time_seconds"}) {
        EXPECT_TRUE(
            std::regex_search(metrics, std::regex(std::string("\n") + name + " [0-9][0-9.e+]*\n")))
            << name;
    }
}

} // namespace
