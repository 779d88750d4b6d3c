#include "SessionPlatform.h"

#include <QtGlobal>

#include <cstring>

namespace orvane {

namespace {

bool namesAPlatform(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        // The toolkit reads "--platform" as "-platform" as well.
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

} // namespace

const char *sessionPlatform(int argc, char **argv) {
    const bool bWaylandWithX11 =
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool bUserChose =
        !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || namesAPlatform(argc, argv);
    return bWaylandWithX11 && !bUserChose ? kX11First : nullptr;
}

} // namespace orvane
