// A scripted stand-in for the query's five socket operations: each operation succeeds or fails as
// the script says, the datagram to receive is any bytes with any real length, and what the query
// did is recorded. The state is static because the platform table holds plain function pointers;
// install() returns a table built on the current one, so log and address replacements stay.
#pragma once

#include "Platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fakesocket {

constexpr orvane::SocketHandle FAKE_SOCKET = 42;

struct Script {
    bool failCreate = false;
    bool failSetOption = false;
    bool failSend = false;
    bool failReceive = false;
    int errorCode = 0;         // what lastSocketError reports after a failure
    std::string datagram = ""; // the bytes delivered by a successful receive
    long realLength = -1;      // the length receive reports; -1: datagram.size()
};

struct Record {
    std::vector<orvane::SocketHandle> closed;
    std::uint32_t timeoutMs = 0;
    std::string sent;
    std::uint32_t destination = 0;
    std::uint16_t port = 0;
    std::size_t receiveCapacity = 0;
};

// Resets script and record, and returns the current platform table with the socket operations
// and lastSocketError replaced.
orvane::PlatformLayer install(const Script &script);
const Record &record();

} // namespace fakesocket
