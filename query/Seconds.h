// Seconds as a user writes them (a time-out, a threshold): read into milliseconds and written
// back, with the range that the check and the exporter accept.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// "0.5" -> 500. Plain decimal notation only (no sign, exponent, hex, "inf" or locale comma).
// Returns false for text that is no such number or lies outside the accepted range.
bool parseSeconds(const std::string &text, std::uint32_t &milliseconds);

// 200 -> "0.2", 1000 -> "1", 1500 -> "1.5": the time-out as a user would write it.
std::string formatSeconds(std::uint32_t milliseconds);

// "0.001 to 3600": the seconds that parseSeconds accepts, as help texts and refusals say it.
std::string acceptedSecondsText();

} // namespace orvane
