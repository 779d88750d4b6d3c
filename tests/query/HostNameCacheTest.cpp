// The holders' host names kept by HostNameCache, against a resolver of the test's own (the
// platform table's hostNameOf) that can hold its answers back, and a clock of the test's own.
#include "HostNameCache.h"
#include "testing/ScopedPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;
using orvane::HostNameCache;

// The resolver's state. Never destroyed: a lookup's thread may still use it as the program ends.
struct FakeResolver {
    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::uint32_t, std::string> names;
    std::map<std::uint32_t, int> asked;
    bool holding = false; // answers wait while set
    int answering = 0;
};
FakeResolver &resolver = *new FakeResolver;

std::string fakeHostNameOf(std::uint32_t address) {
    std::unique_lock<std::mutex> lock(resolver.mutex);
    ++resolver.asked[address];
    ++resolver.answering;
    resolver.changed.wait(lock, [] { return !resolver.holding; });
    --resolver.answering;
    resolver.changed.notify_all();
    return resolver.names[address];
}

// Holder texts 192.0.2.N, only text: the resolver is the test's.
std::string holder(int n) {
    return "192.0.2." + std::to_string(n);
}

class HostNameCacheTest : public ::testing::Test {
protected:
    // 192.0.2.N is pc-N.
    void SetUp() override {
        for (int n = 1; n < 10; ++n) {
            setName(n, "pc-" + std::to_string(n));
        }
        const std::lock_guard<std::mutex> lock(resolver.mutex);
        resolver.asked.clear();
    }
    void TearDown() override {
        hold(false);
        std::unique_lock<std::mutex> lock(resolver.mutex);
        resolver.changed.wait(lock, [] { return resolver.answering == 0; });
    }

    static orvane::PlatformLayer withResolver(std::string (*hostNameOf)(std::uint32_t)) {
        orvane::PlatformLayer layer = orvane::platform();
        layer.hostNameOf = hostNameOf;
        return layer;
    }

    static void hold(bool holding) {
        const std::lock_guard<std::mutex> lock(resolver.mutex);
        resolver.holding = holding;
        resolver.changed.notify_all();
    }
    static void setName(int n, const std::string &name) {
        const std::lock_guard<std::mutex> lock(resolver.mutex);
        resolver.names[0xC0000200U + n] = name;
    }
    static int asked(int n) {
        const std::lock_guard<std::mutex> lock(resolver.mutex);
        return resolver.asked[0xC0000200U + n];
    }

    // Waits up to ten seconds for what the lookups' threads bring about.
    template <typename Condition> static bool eventually(Condition condition) {
        for (int tries = 0; tries < 2000 && !condition(); ++tries) {
            std::this_thread::sleep_for(5ms);
        }
        return condition();
    }

    // nameOf where no lookup is due: one started all the same would leave a name that no later
    // check of the test takes.
    static std::string nameOfWithoutLookup(HostNameCache &cache, const std::string &holderText) {
        const orvane::testing::ScopedPlatform tooSoon(
            withResolver([](std::uint32_t) { return std::string("looked-up-too-soon"); }));
        return cache.nameOf(holderText);
    }

    std::unique_ptr<HostNameCache> makeCache(HostNameCache::Limits limits) {
        return std::make_unique<HostNameCache>(
            limits,
            [this](const std::string &holderText) {
                const std::lock_guard<std::mutex> lock(namedMutex);
                named.push_back(holderText);
            },
            [this] { return std::chrono::steady_clock::time_point(seconds.load() * 1s); });
    }

    orvane::testing::ScopedPlatform fakeResolver{withResolver(fakeHostNameOf)};
    std::atomic<std::int64_t> seconds{0}; // the cache's clock
    std::mutex namedMutex;
    std::vector<std::string> named; // onNamed's holder texts
};

TEST_F(HostNameCacheTest, KeepsTheHoldersAskedForLastWithinItsCapacity) {
    const auto cache = makeCache({2, 1h, 1h, 4});
    EXPECT_EQ(cache->nameOf("labpc-07"), ""); // no address: no lookup, and no entry
    ASSERT_TRUE(eventually(
        [&] { return cache->nameOf(holder(1)) == "pc-1" && cache->nameOf(holder(2)) == "pc-2"; }));
    cache->nameOf(holder(1)); // 2 is now the one asked for longest ago
    ASSERT_TRUE(eventually([&] { return cache->nameOf(holder(3)) == "pc-3"; }));
    EXPECT_EQ(nameOfWithoutLookup(*cache, holder(1)), "pc-1");
    EXPECT_EQ(cache->nameOf(holder(2)), ""); // gone, so looked up anew
    EXPECT_TRUE(eventually([&] { return cache->nameOf(holder(2)) == "pc-2"; }));
    EXPECT_EQ(asked(2), 2);
    EXPECT_EQ(asked(3), 1);
}

TEST_F(HostNameCacheTest, AFailedLookupIsTriedAgainAfterFailedAgeAndANameAfterNameAge) {
    const auto cache = makeCache({8, 1h, 1min, 1});
    setName(1, "");
    EXPECT_EQ(cache->nameOf(holder(1)), "");
    // One lookup at a time: 9's starts, and so 9 is named, only once 1's has ended.
    ASSERT_TRUE(eventually([&] { return cache->nameOf(holder(9)) == "pc-9"; }));
    seconds += 59;
    EXPECT_EQ(nameOfWithoutLookup(*cache, holder(1)), "");
    setName(1, "pc-1");
    seconds += 1;
    EXPECT_TRUE(eventually([&] { return cache->nameOf(holder(1)) == "pc-1"; }));

    setName(1, "pc-1b");
    seconds += 3599;
    EXPECT_EQ(nameOfWithoutLookup(*cache, holder(1)), "pc-1");
    seconds += 1;
    hold(true);
    EXPECT_EQ(cache->nameOf(holder(1)), "pc-1"); // shown until the new answer replaces it
    ASSERT_TRUE(eventually([] { return asked(1) == 3; }));
    EXPECT_EQ(cache->nameOf(holder(1)), "pc-1");
    hold(false);
    EXPECT_TRUE(eventually([&] { return cache->nameOf(holder(1)) == "pc-1b"; }));
    EXPECT_TRUE(eventually([&] {
        const std::lock_guard<std::mutex> lock(namedMutex);
        return std::count(named.begin(), named.end(), holder(1)) == 2;
    }));
}

TEST_F(HostNameCacheTest, RunsNoMoreLookupsAtOnceThanItsBoundAndAwaitsNoneAtItsEnd) {
    auto cache = makeCache({8, 1h, 1h, 2});
    hold(true);
    cache->nameOf(holder(1));
    cache->nameOf(holder(2));
    ASSERT_TRUE(eventually([] { return asked(1) == 1 && asked(2) == 1; }));
    EXPECT_EQ(nameOfWithoutLookup(*cache, holder(3)), "");
    hold(false);
    EXPECT_TRUE(eventually([&] { return cache->nameOf(holder(3)) == "pc-3"; }));

    hold(true);
    cache->nameOf(holder(4));
    ASSERT_TRUE(eventually([] { return asked(4) == 1; }));
    cache.reset(); // returns at once, with the resolver holding its answer
}

} // namespace
