// In the user's temporary folder: the C runtime's tmpfile() would put it at the root of the
// drive, where an ordinary user may not write.
#include "TemporaryFile.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace orvanecheck {

int openTemporaryFile() {
    wchar_t directory[MAX_PATH + 1];
    wchar_t path[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, directory);
    if (length == 0 || length > MAX_PATH || ::GetTempFileNameW(directory, L"ovc", 0, path) == 0) {
        return -1;
    }
    // _O_TEMPORARY: deleted when the last handle to it is closed.
    const int fd =
        ::_wopen(path, _O_RDWR | _O_BINARY | _O_TEMPORARY | _O_SHORT_LIVED, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        ::DeleteFileW(path);
    }
    return fd;
}

} // namespace orvanecheck
