#include "SessionPlatform.h"

#include <QtGlobal>

#include <cstring>

namespace orvane {

namespace {

char kPlatformOption[] = "-platform";
char kX11First[] = "xcb;wayland";

#ifndef Q_OS_WIN
bool namesAPlatform(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        // The toolkit reads "--platform" as "-platform" as well.
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}
#endif

} // namespace

const char *sessionPlatform(int argc, char **argv) {
#ifdef Q_OS_WIN
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return nullptr;
#else
    const bool bWaylandWithX11 =
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool bUserChose =
        !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || namesAPlatform(argc, argv);
    return bWaylandWithX11 && !bUserChose ? kX11First : nullptr;
#endif
}

std::vector<char *> argumentsWithSessionPlatform(int argc, char **argv) {
    std::vector<char *> oArguments(argv, argv + argc);
    if (sessionPlatform(argc, argv)) {
        oArguments.push_back(kPlatformOption);
        oArguments.push_back(kX11First);
    }
    oArguments.push_back(nullptr);
    return oArguments;
}

} // namespace orvane
