#include "OrvaneQuery.h"

#include "DebugLog.h"
#include "DeviceAddress.h"
#include "LocalAddressMatch.h"
#include "OrvaneIdentity.h"
#include "OrvaneReply.h"
#include "OutputSink.h"
#include "Platform.h"

#include <cstring>
#include <string>

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

// Reads the device's reply into the caller's buffers.
std::uint32_t dwReadReply(const char *buffer, std::size_t length, const QueryOutput &output) {
    const OrvaneReply reply = parseOrvaneReply(buffer, length);
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

// A datagram from any other address or port than the device's is no reply: the waiting port lies
// in the ephemeral range, where any host of the network may send, and only the device speaks for
// the device (as a resolver takes an answer only from the server it asked, RFC 5452 9.1).
void vDropForeignDatagram(std::uint32_t dwSender, std::uint16_t wPort) {
    if (byDebugLevel >= 3) {
        const std::string sSender = sDottedQuad(dwSender);
        vWriteDebugLog("%s: Dropped a datagram from %s port %u, not from the device\n",
                       ROUTINE_NAME, sSender.c_str(), unsigned(wPort));
    }
}

// Waits for the device's reply and reads it, dropping datagrams of other senders for the rest of
// the same time-out; the socket stays open for the caller to close.
std::uint32_t dwReceiveReply(orvane::SocketHandle socket, std::uint32_t dwDevice,
                             std::uint32_t dwTimeoutMs, const QueryOutput &output) {
    const orvane::PlatformLayer &layer = orvane::platform();
    const std::uint32_t dwStart = layer.tickCount();
    for (;;) {
        char buffer[ORVANE_REPLY_SIZE] = {};
        std::uint32_t dwSender = 0;
        std::uint16_t wPort = 0;
        const long received =
            layer.receiveWithSender(socket, buffer, sizeof buffer, &dwSender, &wPort);
        // Windows tells a datagram too long for the buffer as an error, with its sender.
        const int iErrorCode = received < 0 ? layer.lastSocketError() : 0;
        const bool bTooLong = received > long(sizeof buffer);
        if (received < 0 && iErrorCode != layer.messageTooLongError) {
            if (layer.isTimeoutError(iErrorCode)) {
                *output.peState = ORVANE_NOT_REACHABLE;
                return 0;
            }
            vReportFailure(RECEIVE_FAILURE_LINE, 3, iErrorCode);
            return ERR_QUERY_TRANSFER;
        }
        if (dwSender == dwDevice && wPort == orvane::kQueryPort) {
            if (received < 0 || bTooLong) {
                // Cut to the buffer it would be a different reply; the device sent something else.
                vReportFailure(RECEIVE_FAILURE_LINE, 3, layer.messageTooLongError);
                return ERR_QUERY_TRANSFER;
            }
            return dwReadReply(buffer, std::size_t(received), output);
        }
        vDropForeignDatagram(dwSender, wPort);
        const std::uint32_t dwWaited = layer.tickCount() - dwStart;
        // A time-out of 0 would wait for ever.
        if (dwWaited >= dwTimeoutMs ||
            layer.setReceiveTimeout(socket, dwTimeoutMs - dwWaited) != 0) {
            *output.peState = ORVANE_NOT_REACHABLE;
            return 0;
        }
    }
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
    const std::uint32_t dwDevice = dwDottedQuadToIPv4(pszAddress);
    if (layer.sendTo(socket, STATE_REQUEST, sizeof STATE_REQUEST, dwDevice, orvane::kQueryPort) <
        0) {
        return dwSendFailure(layer.lastSocketError(), output);
    }
    return dwReceiveReply(socket, dwDevice, dwTimeoutMs, output);
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
