// The host name of the PC that holds a device: the system's resolver asked by reverse lookup of
// the address in the device's reply, for at most the time the check has left. Plain C++ without Qt
// and without the rest of the check, so that another program can take it along.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace orvanecheck {

// The address that a holder text stands for, in host byte order: the text without trailing
// blanks and line ends must be a dotted quad (the device address rule). Nothing for "0.0.0.0"
// (nobody), for the broadcast address, or for any other text, which is the device's own and is
// shown as it stands.
std::optional<std::uint32_t> holderAddress(const std::string &holderText);

// A host name as RFC 1123 allows it: labels of letters, digits and inner hyphens, 1 to 63
// characters each, 253 in all, no trailing dot; the last label not all digits (RFC 3696), so
// that no name reads as an address.
bool isValidHostName(const std::string &name);

// The resolver's name for the holder's address when it is a valid host name and comes before
// the deadline; "" otherwise, also when nothing is to be looked up (holderAddress).
// getnameinfo has no time-out of its own, so it runs on a thread that is left behind when the
// deadline passes: it owns everything it uses, and the process may end while it still waits.
std::string holderHostName(const std::string &holderText,
                           std::chrono::steady_clock::time_point deadline);

} // namespace orvanecheck
