#include "tools/check/ReplyTap.h"

#include "query/OrvaneReply.h"

#include <algorithm>

namespace orvanecheck {

namespace {

// The platform table holds plain function pointers, so the tap keeps its state here; the check
// makes one query on one thread.
orvane::PlatformLayer tappedLayer;
std::string receivedBytes;
bool receivedAny = false;

long receiveAndKeepCopy(orvane::SocketHandle socket, void *buffer, std::size_t capacity) {
    const long length = tappedLayer.receiveFrom(socket, buffer, capacity);
    if (length >= 0) {
        const std::size_t stored = std::min(static_cast<std::size_t>(length), capacity);
        receivedBytes.assign(static_cast<const char *>(buffer), stored);
        receivedAny = true;
    }
    return length;
}

} // namespace

ReplyTap::ReplyTap() : previous(orvane::platform()) {
    tappedLayer = previous;
    receivedBytes.clear();
    receivedAny = false;
    orvane::PlatformLayer layer = previous;
    layer.receiveFrom = receiveAndKeepCopy;
    orvane::installPlatform(layer);
}

ReplyTap::~ReplyTap() {
    orvane::installPlatform(previous);
}

bool ReplyTap::userAddress(std::string &address) const {
    if (!receivedAny) {
        return false;
    }
    const OrvaneReply reply = parseOrvaneReply(receivedBytes.data(), receivedBytes.size());
    if (!reply.bHasSeparator) {
        return false;
    }
    address.assign(reply.pszUser, reply.userLength);
    return true;
}

} // namespace orvanecheck
