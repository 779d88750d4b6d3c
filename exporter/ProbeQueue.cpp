#include "ProbeQueue.h"

#include <algorithm>

namespace orvaneexporter {

ProbeQueue::ProbeQueue(std::size_t workerCount, std::size_t capacity, ProbeAnswer answer,
                       RefusalCounter refused)
    : capacity(capacity), answer(std::move(answer)), refused(std::move(refused)) {
    for (std::size_t i = 0; i < workerCount; ++i) {
        workers.emplace_back([this] { work(); });
    }
}

ProbeQueue::~ProbeQueue() {
    stop();
    for (std::thread &worker : workers) {
        worker.join();
    }
}

void ProbeQueue::submit(ProbeJob job) {
    std::unique_lock<std::mutex> lock(mutex);
    if (stopping) {
        lock.unlock();
        refuse(job.reply, "stopping", "the exporter is stopping");
    } else if (running.size() + waiting.size() >= capacity) {
        lock.unlock();
        refuse(job.reply, "queue_full",
               "the exporter is busy: " + std::to_string(capacity) +
                   " probes are running or waiting already");
    } else if (waitingFor(job.request.target) >= kWaitingPerDevice) {
        // Probes of one device run one after the other: more of them waiting would only hold
        // places of the queue, for probes of other devices, until their time is up.
        lock.unlock();
        refuse(job.reply, "queue_full",
               "the exporter is busy: " + std::to_string(kWaitingPerDevice) +
                   " probes of this device are waiting already");
    } else {
        waiting.push_back(std::move(job));
        lock.unlock();
        wake.notify_one();
    }
}

void ProbeQueue::stop() {
    std::deque<ProbeJob> unstarted;
    std::vector<HttpReply> unfinished;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        unstarted.swap(waiting);
        for (std::optional<HttpReply> &reply : running) {
            if (reply) {
                unfinished.push_back(std::move(*reply));
                reply.reset();
            }
        }
    }
    wake.notify_all();
    for (ProbeJob &job : unstarted) {
        refuse(job.reply, "stopping", "the exporter is stopping");
    }
    for (HttpReply &reply : unfinished) {
        refuse(reply, "stopping", "the exporter is stopping");
    }
}

ProbeLoad ProbeQueue::load() {
    const std::lock_guard<std::mutex> lock(mutex);
    return {running.size(), waiting.size()};
}

std::size_t ProbeQueue::waitingFor(const std::string &target) const {
    return std::size_t(
        std::count_if(waiting.begin(), waiting.end(),
                      [&target](const ProbeJob &job) { return job.request.target == target; }));
}

std::deque<ProbeJob>::iterator ProbeQueue::nextStartable() {
    return std::find_if(waiting.begin(), waiting.end(), [this](const ProbeJob &job) {
        return targetsAsked.count(job.request.target) == 0;
    });
}

void ProbeQueue::work() {
    std::unique_lock<std::mutex> lock(mutex);
    while (true) {
        wake.wait(lock, [this] { return stopping || nextStartable() != waiting.end(); });
        if (stopping) {
            return;
        }
        const auto next = nextStartable();
        ProbeJob job = std::move(*next);
        waiting.erase(next);
        if (std::chrono::steady_clock::now() > job.latestStart) {
            lock.unlock();
            refuse(job.reply, "deadline",
                   "the exporter is busy: the probe could not start in time to wait the whole "
                   "time-out");
            lock.lock();
            continue;
        }
        const auto slot = running.emplace(running.end(), std::move(job.reply));
        targetsAsked.insert(job.request.target);
        lock.unlock();
        const ProbeResult result = runProbe(job.request.target, job.request.timeoutMs);
        lock.lock();
        // This worker looks for the next probe of the target itself, when it loops.
        targetsAsked.erase(job.request.target);
        std::optional<HttpReply> reply = std::move(*slot);
        running.erase(slot);
        if (reply) { // else answered already, as the exporter stops
            lock.unlock();
            reply->send(answer(job.request, result));
            lock.lock();
        }
    }
}

void ProbeQueue::refuse(HttpReply &reply, const char *cause, const std::string &reason) {
    refused(cause);
    reply.send(plainAnswer(503, reason));
}

} // namespace orvaneexporter
