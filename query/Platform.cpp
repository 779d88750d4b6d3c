#include "Platform.h"

namespace orvane {

namespace {
PlatformLayer &currentLayer() {
    static PlatformLayer layer = nativePlatform();
    return layer;
}
} // namespace

const PlatformLayer &platform() {
    return currentLayer();
}

void installPlatform(const PlatformLayer &layer) {
    currentLayer() = layer;
}

long receiveIgnoringSender(SocketHandle socket, void *buffer, std::size_t capacity) {
    std::uint32_t senderAddress = 0;
    std::uint16_t senderPort = 0;
    return nativePlatform().receiveWithSender(socket, buffer, capacity, &senderAddress,
                                              &senderPort);
}

} // namespace orvane
