// The host names of the PCs that hold devices, from the system's resolver.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace orvane {

// The host name of the address as the system's resolver knows it (its hosts file, DNS, and on
// Windows the names that PCs announce on the local network), or empty when it knows none. Blocks
// for as long as the resolver takes, which may be many seconds.
std::string systemHostNameOf(std::uint32_t ipv4Address);

// Looks the address up through the platform's resolver on a thread of its own and hands the name
// (empty: none) to fnDone on that thread. Nothing waits for the thread: a program may end while a
// resolver that never answers still holds it.
void lookUpHostName(std::uint32_t ipv4Address,
                    std::function<void(const std::string &sName)> fnDone);

} // namespace orvane
