# Cross build for 64-bit Windows with mingw-w64 (Debian 12), tests run through wine.
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
#         -DORVANE_BUILD_GUI=OFF
# scripts/test-windows.sh does this, and prepares the wine prefix and server that CTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORVANE_MINGW_TRIPLET x86_64-w64-mingw32)

# The posix thread model by name: the win32 model lacks std::mutex and std::thread, which
# GoogleTest needs, and the unsuffixed names follow whatever the alternatives point to.
find_program(ORVANE_MINGW_CXX ${ORVANE_MINGW_TRIPLET}-g++-posix REQUIRED)
find_program(ORVANE_MINGW_CC ${ORVANE_MINGW_TRIPLET}-gcc-posix REQUIRED)
find_program(ORVANE_MINGW_WINDRES ${ORVANE_MINGW_TRIPLET}-windres)
set(CMAKE_CXX_COMPILER ${ORVANE_MINGW_CXX})
set(CMAKE_C_COMPILER ${ORVANE_MINGW_CC})
if(ORVANE_MINGW_WINDRES)
    set(CMAKE_RC_COMPILER ${ORVANE_MINGW_WINDRES})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${ORVANE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link the compiler's runtime (libgcc, libstdc++, winpthread) into every executable, so that
# they run under wine or on a bare Windows without copies of the mingw DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run through wine: 64-bit loader directly (Debian 12 has no /usr/bin/wine64, and the
# /usr/bin/wine launcher complains on stderr about the missing 32-bit part), quiet, and in a
# prefix of the build's own, so that drive c: is the build's and nothing touches ~/.wine.
find_program(ORVANE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(ORVANE_WINE64 NAMES wine64 wine)
if(NOT DEFINED ORVANE_WINEPREFIX)
    set(ORVANE_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix of the tests")
endif()
if(ORVANE_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        /usr/bin/env WINEDEBUG=-all WINEPREFIX=${ORVANE_WINEPREFIX} ${ORVANE_WINE64})
endif()
