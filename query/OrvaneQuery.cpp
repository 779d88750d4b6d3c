#include "OrvaneQuery.h"

#include "DebugLog.h"
#include "DeviceAddress.h"
#include "LocalAddressMatch.h"
#include "OrvaneIdentity.h"
#include "OrvaneReply.h"
#include "OutputSink.h"
#include "Platform.h"

#include <cstring>

namespace {

constexpr char ROUTINE_NAME[] = "OrvaneMonitor::dwGetOrvaneState";
constexpr char STATE_REQUEST[] = "state"; // sent with its NUL: 6 bytes
constexpr char SEND_FAILURE_LINE[] = "%s: Error broadcasting to the clients %s \n";
constexpr char RECEIVE_FAILURE_LINE[] = "%s: Error receiving message: %s\n";

// Prints the failure line (one of the two above) and logs it where the log level reaches the
// line's threshold: 1 for a failed send, 3 for a failed receive.
void vReportFailure(const char *pszLine, std::uint8_t byThreshold, int iErrorCode) {
    vPrintOutputLine(pszLine, ROUTINE_NAME, pszGetErrorText(iErrorCode));
    if (byDebugLevel >= byThreshold) {
        vWriteDebugLog(pszLine, ROUTINE_NAME, pszGetErrorText(iErrorCode));
    }
}

OrvaneState eStateForUser(const OrvaneReply &reply) {
    if (bIsFreeUserAddress(reply)) {
        return ORVANE_AVAILABLE;
    }
    return bIsThisPCAddress(reply.pszUser, reply.userLength) ? ORVANE_USED_BY_THIS_PC
                                                             : ORVANE_USED_BY_OTHER_PC;
}

// Where one query writes what it found: the caller's buffers and state.
struct QueryOutput {
    char *pszName;
    OrvaneState *peState;
    char *pszUser;   // or nullptr
    bool *pbNoRoute; // or nullptr
};

// Waits for the reply and reads it; the socket stays open for the caller to close.
std::uint32_t dwReceiveReply(orvane::SocketHandle socket, const QueryOutput &output) {
    const orvane::PlatformLayer &layer = orvane::platform();
    char buffer[ORVANE_REPLY_SIZE] = {};
    const long received = layer.receiveFrom(socket, buffer, sizeof buffer);
    if (received < 0) {
        const int iErrorCode = layer.lastSocketError();
        if (layer.isTimeoutError(iErrorCode)) {
            *output.peState = ORVANE_NOT_REACHABLE;
            return 0;
        }
        vReportFailure(RECEIVE_FAILURE_LINE, 3, iErrorCode);
        return ERR_QUERY_TRANSFER;
    }
    if (std::size_t(received) > sizeof buffer) {
        // Cut to the buffer it would be a different reply; the device sent something else.
        vReportFailure(RECEIVE_FAILURE_LINE, 3, layer.messageTooLongError);
        return ERR_QUERY_TRANSFER;
    }
    const OrvaneReply reply = parseOrvaneReply(buffer, std::size_t(received));
    if (!reply.bHasSeparator) {
        return ERR_QUERY_REPLY;
    }
    std::memcpy(output.pszName, buffer, reply.nameLength);
    if (output.pszUser != nullptr) {
        std::memcpy(output.pszUser, reply.pszUser, reply.userLength); // at most 127 bytes
    }
    *output.peState = eStateForUser(reply);
    return 0;
}

// A send that fails because this PC has no network to the device (a cable pulled, the Wi-Fi
// gone, a VPN that took the route) says what a silent device says: not reachable now. The
// monitor stays red and recovers by itself once the network is back; the line is printed and
// logged all the same. Any other failure of the send is the query's failure.
std::uint32_t dwSendFailure(int iErrorCode, const QueryOutput &output) {
    vReportFailure(SEND_FAILURE_LINE, 1, iErrorCode);
    if (!orvane::platform().isNoRouteError(iErrorCode)) {
        return ERR_QUERY_TRANSFER;
    }
    *output.peState = ORVANE_NOT_REACHABLE;
    if (output.pbNoRoute != nullptr) {
        *output.pbNoRoute = true;
    }
    return 0;
}

std::uint32_t dwQueryOnSocket(orvane::SocketHandle socket, const char *pszAddress,
                              std::uint32_t dwTimeoutMs, const QueryOutput &output) {
    const orvane::PlatformLayer &layer = orvane::platform();
    if (layer.setReceiveTimeout(socket, dwTimeoutMs) != 0) {
        if (byDebugLevel >= 1) {
            vWriteDebugLog("%s: ERROR setting receive timeout, socket will be closed\n",
                           ROUTINE_NAME);
        }
        return ERR_QUERY_SOCKET;
    }
    if (layer.sendTo(socket, STATE_REQUEST, sizeof STATE_REQUEST, dwDottedQuadToIPv4(pszAddress),
                     orvane::kQueryPort) < 0) {
        return dwSendFailure(layer.lastSocketError(), output);
    }
    return dwReceiveReply(socket, output);
}

std::uint32_t dwQuery(const char *pszAddress, std::uint32_t dwTimeoutMs,
                      const QueryOutput &output) {
    const orvane::PlatformLayer &layer = orvane::platform();
    const orvane::SocketHandle socket = layer.createSocket();
    if (socket == orvane::INVALID_SOCKET_HANDLE) {
        if (byDebugLevel >= 1) {
            vWriteDebugLog("%s: ERROR in creating socket\n", ROUTINE_NAME);
        }
        return ERR_QUERY_SOCKET;
    }
    const std::uint32_t dwResult = dwQueryOnSocket(socket, pszAddress, dwTimeoutMs, output);
    layer.closeSocket(socket);
    return dwResult;
}

} // namespace

std::uint32_t dwInitSockets() {
    return orvane::platform().startSockets() == 0 ? 0 : ERR_SOCKETS_NOT_INITIALISED;
}

int iCleanupSockets() {
    return orvane::platform().cleanupSockets();
}

std::uint32_t dwGetOrvaneState(const char *pszAddress, std::uint32_t dwTimeoutMs, char *pszName,
                               OrvaneState *peState) {
    return dwQuery(pszAddress, dwTimeoutMs, {pszName, peState, nullptr, nullptr});
}

std::uint32_t dwGetOrvaneStateAndUser(const char *pszAddress, std::uint32_t dwTimeoutMs,
                                      char *pszName, OrvaneState *peState, char *pszUser) {
    return dwQuery(pszAddress, dwTimeoutMs, {pszName, peState, pszUser, nullptr});
}

OrvaneAnswer askOrvane(const char *pszAddress, std::uint32_t dwTimeoutMs) {
    char acName[ORVANE_NAME_BUFFER_SIZE] = {};
    char acUser[ORVANE_NAME_BUFFER_SIZE] = {};
    OrvaneAnswer oAnswer;
    oAnswer.dwResult =
        dwQuery(pszAddress, dwTimeoutMs, {acName, &oAnswer.eState, acUser, &oAnswer.bNoRoute});
    oAnswer.sName.assign(acName, strnlen(acName, sizeof acName));
    oAnswer.sUser.assign(acUser, strnlen(acUser, sizeof acUser));
    return oAnswer;
}
