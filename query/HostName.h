// The host names of the PCs that hold devices, from the system's resolver: the rules of what is
// looked up and what counts as a name, and the lookups themselves, for the monitor and the check.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orvane {

// The address that a holder text stands for, in host byte order: the text without trailing
// blanks and line ends must be a device address (the dotted-quad rule). Nothing for "0.0.0.0"
// (nobody), for the broadcast address, or for any other text, which is the device's own and is
// shown as it stands.
std::optional<std::uint32_t> holderAddress(const std::string &holderText);

// A host name as RFC 1123 allows it: labels of letters, digits and inner hyphens, 1 to 63
// characters each, 253 in all, no trailing dot; the last label not all digits (RFC 3696), so that
// no name reads as an address. The resolver's answer comes from the network: anything else is no
// name.
bool isValidHostName(const std::string &name);

// The host name of the address as the system's resolver knows it (its hosts file, DNS, and on
// Windows the names that PCs announce on the local network), or empty when it knows none. Blocks
// for as long as the resolver takes, which may be many seconds.
std::string systemHostNameOf(std::uint32_t ipv4Address);

// Looks the address up through the platform's resolver on a thread of its own and hands the name
// (empty: none, or none that isValidHostName takes) to fnDone on that thread. Nothing waits for
// the thread: a program may end while a resolver that never answers still holds it. False, and
// fnDone is never called, when no thread could be had.
bool lookUpHostName(std::uint32_t ipv4Address,
                    std::function<void(const std::string &sName)> fnDone);

// The holder's host name, when the holder text is an address (holderAddress) and the resolver
// answers before the deadline; "" otherwise.
std::string holderHostName(const std::string &holderText,
                           std::chrono::steady_clock::time_point deadline);

} // namespace orvane
