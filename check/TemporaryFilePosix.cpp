#include "TemporaryFile.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace orvanecheck {

int openTemporaryFile() {
    const char *dir = std::getenv("TMPDIR");
    std::string path =
        std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/orvane-check-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd >= 0) {
        unlink(path.c_str()); // gone when closed
    }
    return fd;
}

} // namespace orvanecheck
