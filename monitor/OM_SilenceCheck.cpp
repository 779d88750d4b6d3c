#include "OM_SilenceCheck.h"

void OM_SilenceCheck::noteAsk(std::int64_t iWallMs, std::int64_t iSteadyMs) {
    if (oLastAskWallMs && iWallMs - *oLastAskWallMs > iPollIntervalMs + kSleepGapMs)
        oWokeSteadyMs = iSteadyMs;
    oLastAskWallMs = iWallMs;
    iNowSteadyMs = iSteadyMs;
}

std::optional<int> OM_SilenceCheck::askAgainIn(bool bShowsAnswer) {
    if (!bShowsAnswer)
        return std::nullopt;
    const bool bJustWoke = oWokeSteadyMs && iNowSteadyMs - *oWokeSteadyMs < kAfterWakeMs;
    if (!bJustWoke && iUnshownSilences > 0)
        return std::nullopt;
    ++iUnshownSilences;
    return bJustWoke ? kAfterWakeDelayMs : kConfirmDelayMs;
}
