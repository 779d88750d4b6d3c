#include "ExporterServer.h"

#include "Exposition.h"
#include "LabPage.h"
#include "OrvaneIdentity.h"
#include "ProbeRequest.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <sys/socket.h>
#include <thread>

namespace orvaneexporter {

namespace {

constexpr char kScrapeTimeoutHeader[] = "X-Prometheus-Scrape-Timeout-Seconds";
constexpr char kPlainText[] = "text/plain; charset=utf-8";

// When the connection that the worker on this thread answers was taken.
thread_local std::chrono::steady_clock::time_point tlsAccepted;

// The library's pool of workers, noting when each connection was taken (one request each): a
// probe's time-out counts from there, so that a request that waited for a worker or for the
// processor in a burst of scrapes is still answered within its time-out.
class TimedWorkers : public httplib::TaskQueue {
public:
    explicit TimedWorkers(std::size_t count) : pool(count) {}

    void enqueue(std::function<void()> job) override {
        pool.enqueue([accepted = std::chrono::steady_clock::now(), job = std::move(job)] {
            tlsAccepted = accepted;
            job();
        });
    }
    void shutdown() override { pool.shutdown(); }

private:
    httplib::ThreadPool pool;
};

// What is left of the time-out since the connection was taken; at least the shortest time-out.
std::uint32_t remainingMs(std::uint32_t timeoutMs) {
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - tlsAccepted)
                            .count();
    return waited < std::int64_t(timeoutMs) ? std::uint32_t(timeoutMs - waited)
                                            : orvane::kCheckMinimumMs;
}

std::vector<std::string> parameterValues(const httplib::Request &request, const char *name) {
    std::vector<std::string> values;
    const auto [first, last] = request.params.equal_range(name);
    for (auto entry = first; entry != last; ++entry) {
        values.push_back(entry->second);
    }
    return values;
}

std::optional<std::string> parameter(const httplib::Request &request, const char *name) {
    if (!request.has_param(name)) {
        return std::nullopt;
    }
    return request.get_param_value(name);
}

std::optional<std::string> header(const httplib::Request &request, const char *name) {
    if (!request.has_header(name)) {
        return std::nullopt;
    }
    return request.get_header_value(name);
}

} // namespace

ExporterServer::ExporterServer() {
    server.new_task_queue = [] { return new TimedWorkers(kWorkers); };
    // A kept-alive connection would hold its worker idle between scrapes, away from the devices
    // that wait for one; a new connection per scrape costs next to nothing.
    server.set_keep_alive_max_count(1);
    // The library's own options add SO_REUSEPORT, with which a second exporter on the same port
    // would silently take half of the scrapes; a restart only needs SO_REUSEADDR.
    server.set_socket_options([this](socket_t socket) {
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        listeningSocket = socket;
    });
    server.Get("/probe", [this](const httplib::Request &request, httplib::Response &response) {
        answerProbe(request, response);
    });
    server.Get("/metrics", [this](const httplib::Request &, httplib::Response &response) {
        response.set_content(metrics.exposition(), kExpositionContentType);
    });
    server.Get("/", [this](const httplib::Request &, httplib::Response &response) {
        const auto now = WallClock::now();
        response.set_header("Content-Security-Policy", kLabPagePolicy);
        response.set_content(labPage(board.rows(now), now), kLabPageContentType);
    });
}

bool ExporterServer::bind(const std::string &address, int port, std::string *error) {
    boundPort = port == 0 ? server.bind_to_any_port(address) : port;
    if (boundPort < 0 || (port != 0 && !server.bind_to_port(address, port))) {
        *error = std::strerror(errno);
        return false;
    }
    // Prometheus scrapes every target of a job at the same moment: the library's backlog of five
    // connections would drop the rest of such a burst, which the scraper sends again only a
    // second later.
    ::listen(listeningSocket, SOMAXCONN);
    return true;
}

void ExporterServer::serve() {
    server.listen_after_bind();
    served = true;
}

void ExporterServer::stop() {
    // The library ignores a stop that comes before it serves.
    while (!server.is_running() && !served) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    server.stop();
}

void ExporterServer::answerProbe(const httplib::Request &request, httplib::Response &response) {
    const ProbeRequestReading reading =
        readProbeRequest(parameterValues(request, "target"), parameter(request, "timeout"),
                         header(request, kScrapeTimeoutHeader));
    if (!reading.request) {
        response.status = 400;
        response.set_content(reading.refusal + "\n", kPlainText);
        return;
    }
    const ProbeResult result =
        runProbe(reading.request->target, remainingMs(reading.request->timeoutMs));
    metrics.record(result);
    const DeviceRow row = board.record(reading.request->target, result, WallClock::now());
    response.set_content(probeExposition(result) + historyExposition(row), kExpositionContentType);
}

} // namespace orvaneexporter
