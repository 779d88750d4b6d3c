// A temporary file for the captured output, one implementation per system
// (TemporaryFilePosix.cpp, TemporaryFileWindows.cpp; CMake picks one).
#pragma once

namespace orvanecheck {

// A new file in the system's place for temporary files, open for reading and writing, that
// disappears once its last descriptor is closed, whatever happens to the process; -1 when there
// is none.
int openTemporaryFile();

} // namespace orvanecheck
