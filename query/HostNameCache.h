// The host names of the PCs that hold devices, kept for programs that show many holders for a
// long time (the exporter's page, the monitor): looked up in the background, so that nobody waits
// for the resolver, bounded in entries and in lookups at once, and looked up again once an answer
// has aged, so that a PC renamed or an address handed to another PC shows in time.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace orvane {

class HostNameCache {
public:
    struct Limits {
        std::size_t capacity; // entries at most; the one asked for longest ago goes
        // A found name is looked up again this long after its lookup started; a holder whose
        // lookup found none, after failedAge.
        std::chrono::seconds nameAge;
        std::chrono::seconds failedAge;
        std::size_t lookupsInFlight; // at once; beyond them, a later call starts the lookup
    };
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // onNamed(holderText) runs on the lookup's thread, outside the cache's lock, when a lookup
    // brought a name different from the one known (an empty one too: the name is gone). It must
    // not destroy the cache.
    explicit HostNameCache(Limits limits,
                           std::function<void(const std::string &holderText)> onNamed = {},
                           Clock clock = std::chrono::steady_clock::now);
    // Lookups still running are forgotten, never waited for: a resolver may never answer. Waits
    // only for an onNamed that runs just then, so that none runs after the cache is gone.
    ~HostNameCache();
    HostNameCache(const HostNameCache &) = delete;
    HostNameCache &operator=(const HostNameCache &) = delete;

    // The holder's host name as far as known, "" when there is none or none yet. Starts a lookup
    // when the holder text is an address (holderAddress) not looked up yet or whose answer has
    // aged; a known name stays until the new answer replaces it. Any other text has no name and
    // takes no entry. Safe to call from many threads.
    std::string nameOf(const std::string &holderText);

private:
    struct Shared;
    std::shared_ptr<Shared> shared; // also held by every lookup that runs
};

} // namespace orvane
