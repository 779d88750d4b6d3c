#include "HostNameCache.h"

#include "HostName.h"

#include <list>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace orvane {

namespace {

using TimePoint = std::chrono::steady_clock::time_point;

struct Entry {
    std::string holderText;
    std::string name;                  // "" while none is known
    std::optional<TimePoint> lookedUp; // when its last lookup started
    bool lookingUp = false;
};

} // namespace

// Shared with every lookup that runs, so that an answer that comes after the cache's end finds
// it still there.
struct HostNameCache::Shared {
    Shared(Limits limits, std::function<void(const std::string &)> onNamed, Clock clock)
        : limits(limits), onNamed(std::move(onNamed)), clock(std::move(clock)) {}

    // The entry of the holder text, now the one asked for last; made when missing, in place of
    // the one asked for longest ago when the cache is full. Under the lock.
    Entry &touch(const std::string &holderText) {
        const auto found = byHolder.find(holderText);
        if (found != byHolder.end()) {
            entries.splice(entries.begin(), entries, found->second);
            return entries.front();
        }
        if (entries.size() >= limits.capacity) {
            byHolder.erase(entries.back().holderText);
            entries.pop_back();
        }
        entries.push_front(Entry{holderText, "", std::nullopt, false});
        byHolder.emplace(holderText, entries.begin());
        return entries.front();
    }

    // Whether the entry's name is to be looked up (again): its answer's age counts from the start
    // of its lookup, which a slow resolver makes only a little older. Under the lock.
    bool due(const Entry &entry, TimePoint now) const {
        if (entry.lookingUp) {
            return false;
        }
        const auto age = entry.name.empty() ? limits.failedAge : limits.nameAge;
        return !entry.lookedUp || now - *entry.lookedUp >= age;
    }

    // A lookup ended: with the name it found (nullptr: it never ran). Its entry may be gone.
    void lookupEnded(const std::string &holderText, const std::string *found) {
        bool renamed = false;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            --lookupsRunning;
            const auto entry = byHolder.find(holderText);
            if (entry == byHolder.end()) {
                return;
            }
            Entry &ended = *entry->second;
            ended.lookingUp = false;
            if (found == nullptr) {
                ended.lookedUp.reset(); // a later call tries again
                return;
            }
            renamed = ended.name != *found;
            ended.name = *found;
        }
        if (renamed && onNamed) {
            const std::lock_guard<std::mutex> lock(namedMutex);
            if (cacheAlive) {
                onNamed(holderText);
            }
        }
    }

    const Limits limits;
    const std::function<void(const std::string &)> onNamed;
    const Clock clock;

    std::mutex mutex;         // guards the entries and the count of lookups
    std::list<Entry> entries; // the one asked for last first
    std::unordered_map<std::string, std::list<Entry>::iterator> byHolder;
    std::size_t lookupsRunning = 0;

    std::mutex namedMutex; // held while onNamed runs, and by the cache's end
    bool cacheAlive = true;
};

HostNameCache::HostNameCache(Limits limits, std::function<void(const std::string &)> onNamed,
                             Clock clock)
    : shared(std::make_shared<Shared>(limits, std::move(onNamed), std::move(clock))) {}

HostNameCache::~HostNameCache() {
    {
        // A lookup that ends later finds no entry, and so names none.
        const std::lock_guard<std::mutex> lock(shared->mutex);
        shared->byHolder.clear();
        shared->entries.clear();
    }
    const std::lock_guard<std::mutex> lock(shared->namedMutex);
    shared->cacheAlive = false;
}

std::string HostNameCache::nameOf(const std::string &holderText) {
    const std::optional<std::uint32_t> address = holderAddress(holderText);
    if (!address || shared->limits.capacity == 0) {
        return "";
    }
    std::string name;
    {
        const std::lock_guard<std::mutex> lock(shared->mutex);
        Entry &entry = shared->touch(holderText);
        name = entry.name;
        const TimePoint now = shared->clock();
        if (!shared->due(entry, now) || shared->lookupsRunning >= shared->limits.lookupsInFlight) {
            return name;
        }
        entry.lookingUp = true;
        entry.lookedUp = now;
        ++shared->lookupsRunning;
    }
    // Outside the lock: the answer may come before the call returns.
    const bool started =
        lookUpHostName(*address, [shared = shared, holderText](const std::string &found) {
            shared->lookupEnded(holderText, &found);
        });
    if (!started) {
        shared->lookupEnded(holderText, nullptr);
    }
    return name;
}

} // namespace orvane
