// Probes waiting for and running on a fixed number of workers. The network layer's query blocks
// its thread for up to the time-out, so that the number of workers is the number of probes in
// flight, and of query sockets open at once. A probe that cannot start in time is refused, never
// run short: what it would say about the device would be the exporter's trouble, not the
// device's. One device is asked by one probe at a time, in the order of the requests: however
// many requests name it, the exporter never floods a device, whose dropped requests would look
// like a device down.
#pragma once

#include "HttpServer.h"
#include "Probe.h"
#include "ProbeRequest.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

namespace orvaneexporter {

struct ProbeJob {
    ProbeRequest request;
    // The last moment at which the probe may start and still be answered in time.
    std::chrono::steady_clock::time_point latestStart;
    HttpReply reply;
};

// How many probes run and how many wait, for /metrics.
struct ProbeLoad {
    std::size_t running = 0;
    std::size_t waiting = 0;
};

// What a probe's result answers; called on the worker that ran it.
using ProbeAnswer = std::function<HttpAnswer(const ProbeRequest &, const ProbeResult &)>;

class ProbeQueue {
public:
    // Probes of one device that may wait while another probe of it runs (two Prometheus servers
    // scraping the same lab, and one more).
    static constexpr std::size_t kWaitingPerDevice = 2;

    // capacity: probes taken at once, running or waiting. refused: as for HttpServer, with
    // "queue_full", "deadline" and "stopping".
    ProbeQueue(std::size_t workers, std::size_t capacity, ProbeAnswer answer,
               RefusalCounter refused);
    // Waits for the probes still running (at most their time-out); stop() first.
    ~ProbeQueue();

    // Runs the probe when a worker is free and no other probe asks its device, or answers 503 at
    // once: the queue is full, kWaitingPerDevice probes of the device wait already, or the
    // exporter stops.
    void submit(ProbeJob job);
    // Answers every waiting and running probe 503 at once; workers end after their probe.
    void stop();
    ProbeLoad load();

private:
    void work();
    std::size_t waitingFor(const std::string &target) const; // under the lock
    std::deque<ProbeJob>::iterator nextStartable();
    void refuse(HttpReply &reply, const char *cause, const std::string &reason);

    const std::size_t capacity;
    const ProbeAnswer answer;
    const RefusalCounter refused;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<ProbeJob> waiting;
    // The replies of the running probes, so that stop() can answer them.
    std::list<std::optional<HttpReply>> running;
    std::unordered_set<std::string> targetsAsked; // by the running probes
    bool stopping = false;
    std::vector<std::thread> workers;
};

} // namespace orvaneexporter
