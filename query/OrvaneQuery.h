// The device query: one UDP request to the device's port and the reading of its reply.
// Plain C++ without Qt, so that it builds for Windows and Linux alike.
#pragma once

#include <cstdint>
#include <string>

// Usage state of the device, written through the caller's pointer.
enum OrvaneState : std::uint32_t {
    ORVANE_NOT_REACHABLE = 0,
    ORVANE_USED_BY_OTHER_PC = 1,
    ORVANE_USED_BY_THIS_PC = 2,
    ORVANE_AVAILABLE = 3,
};

// Result codes; 0 means success.
constexpr std::uint32_t ERR_QUERY_REPLY = 13;
constexpr std::uint32_t ERR_NO_HOST_ADDRESS = 32;
constexpr std::uint32_t ERR_QUERY_SOCKET = 64;
constexpr std::uint32_t ERR_QUERY_TRANSFER = 65;
constexpr std::uint32_t ERR_SOCKETS_NOT_INITIALISED = 10093;

constexpr unsigned ORVANE_NAME_BUFFER_SIZE = 128;

// Starts the platform's sockets (Windows Sockets 2.0); 0 or 10093.
std::uint32_t dwInitSockets();

// Ends what dwInitSockets started; the result is the platform's and may be ignored.
int iCleanupSockets();

// Asks the device at pszAddress (dotted-quad ASCII) for its state, waiting at most dwTimeoutMs
// for the reply. pszName points to the caller's zeroed buffer of ORVANE_NAME_BUFFER_SIZE bytes.
// No answer in time is no failure: the result is 0 and the state ORVANE_NOT_REACHABLE. So is a
// send that finds no network to the device (network or host unreachable, network down); its
// failure line is printed and logged as for any other failed send.
std::uint32_t dwGetOrvaneState(const char *pszAddress, std::uint32_t dwTimeoutMs, char *pszName,
                               OrvaneState *peState);

// The same query, which also hands over the address of the PC that holds the device: every byte
// of the reply text after the first "#", untrimmed, copied into pszUser (the caller's zeroed
// buffer of ORVANE_NAME_BUFFER_SIZE bytes) when the reply holds a "#". For callers that report
// who holds the device, such as a monitoring check.
std::uint32_t dwGetOrvaneStateAndUser(const char *pszAddress, std::uint32_t dwTimeoutMs,
                                      char *pszName, OrvaneState *peState, char *pszUser);

// One query's outcome as values: what the monitor and the check read out of the buffers above.
struct OrvaneAnswer {
    std::uint32_t dwResult = 0; // 0, or the result code of the failing step
    OrvaneState eState = ORVANE_NOT_REACHABLE;
    std::string sName;     // the reply's name, up to its first NUL
    std::string sUser;     // the reply's text after the first "#", untrimmed; empty without one
    bool bNoRoute = false; // not reachable because the send found no network to the device
};

// dwGetOrvaneStateAndUser with buffers of its own.
OrvaneAnswer askOrvane(const char *pszAddress, std::uint32_t dwTimeoutMs);
