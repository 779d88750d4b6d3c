#include "SessionPlatform.h"

namespace orvane {

// Windows has one windowing platform.
const char *sessionPlatform(int, char **) {
    return nullptr;
}

} // namespace orvane
