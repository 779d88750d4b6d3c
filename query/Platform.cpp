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

} // namespace orvane
