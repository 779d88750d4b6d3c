#pragma once

#include <cstdint>
#include <optional>

// Whether a poll without an answer is shown at once, or the device is asked again first. One
// lost datagram, on a busy lab network or on Wi-Fi, is no outage; nor is a network that is still
// coming up after the PC woke from sleep. Only a device that answered at the state shown now is
// asked again: one that is red already is asked once a poll.
class OM_SilenceCheck {
public:
    // A silence after an answer: asked once more a second later.
    static constexpr int kConfirmDelayMs = 1000;
    // A silence in the first half minute after waking: asked again every few seconds.
    static constexpr int kAfterWakeDelayMs = 3000;
    static constexpr std::int64_t kAfterWakeMs = 30000;
    // How much longer than a poll's rhythm the wall clock may run between two asks before the PC
    // counts as having slept. Qt's timers do not count the time asleep on Linux; the wall clock
    // does, and Windows fires an overdue timer at once after waking: either way the wall clock
    // shows the gap.
    static constexpr std::int64_t kSleepGapMs = 30000;

    explicit OM_SilenceCheck(int iPollIntervalMs) : iPollIntervalMs(iPollIntervalMs) {}

    // Notes an ask of the device at these times: the wall clock's and a steady clock's
    // milliseconds.
    void noteAsk(std::int64_t iWallMs, std::int64_t iSteadyMs);

    // After an ask that got no answer: in how many milliseconds to ask again before the silence
    // is shown, or nothing when it is to be shown now. bShowsAnswer: the state shown now is an
    // answer of this device.
    std::optional<int> askAgainIn(bool bShowsAnswer);

    // A state was shown: a later silence is new.
    void noteShown() { iUnshownSilences = 0; }

private:
    const int iPollIntervalMs;
    std::optional<std::int64_t> oLastAskWallMs;
    std::optional<std::int64_t> oWokeSteadyMs;
    std::int64_t iNowSteadyMs = 0;
    int iUnshownSilences = 0;
};
