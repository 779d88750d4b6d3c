#include "SessionPlatform.h"

namespace orvane {

namespace {

char kPlatformOption[] = "-platform";

} // namespace

std::vector<char *> argumentsWithSessionPlatform(int argc, char **argv) {
    std::vector<char *> oArguments(argv, argv + argc);
    if (sessionPlatform(argc, argv)) {
        oArguments.push_back(kPlatformOption);
        oArguments.push_back(const_cast<char *>(kX11First));
    }
    oArguments.push_back(nullptr);
    return oArguments;
}

} // namespace orvane
