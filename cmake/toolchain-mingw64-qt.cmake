# Cross build of Qt itself for 64-bit Windows with mingw-w64 (Debian 12), used by
# scripts/build-qt-windows.sh. Unlike toolchain-mingw64.cmake it links nothing statically: Qt's
# DLLs and the programs built against them share one copy of the compiler's runtime DLLs. Nothing
# runs under wine during the build, since Debian's own moc, rcc and uic serve as the host tools.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix thread model by name, as in toolchain-mingw64.cmake: std::thread and std::mutex.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Headers and libraries only from the mingw-w64 tree, never the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
