# The whole tree cross-built for 64-bit Windows with mingw-w64 (Debian 12) against the Qt for
# Windows of scripts/build-qt-windows.sh, tests run through wine:
#   qt=$(scripts/build-qt-windows.sh | tail -n 1)
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
#         -DORVANE_QT_WINDOWS_PREFIX="$qt"
# Without ORVANE_QT_WINDOWS_PREFIX only the parts without Qt build (-DORVANE_BUILD_GUI=OFF).
# scripts/test-windows.sh does all this, and prepares the wine prefix and server that CTest needs.

# The compilers and search paths Qt itself was built with: Qt's DLLs and the programs share one
# copy of the compiler's runtime DLLs (libstdc++, libgcc, winpthread), which go beside the
# programs when they are installed.
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw64-qt.cmake)

set(ORVANE_QT_WINDOWS_PREFIX "" CACHE PATH "Qt for Windows (scripts/build-qt-windows.sh)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVANE_QT_WINDOWS_PREFIX)
if(ORVANE_QT_WINDOWS_PREFIX)
    list(APPEND CMAKE_FIND_ROOT_PATH ${ORVANE_QT_WINDOWS_PREFIX})
    list(APPEND CMAKE_PREFIX_PATH ${ORVANE_QT_WINDOWS_PREFIX})
    # Debian's moc, rcc and uic, of the very same Qt version, serve as the host tools.
    execute_process(COMMAND dpkg-architecture -qDEB_BUILD_MULTIARCH
        OUTPUT_VARIABLE ORVANE_HOST_MULTIARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(QT_HOST_PATH /usr)
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${ORVANE_HOST_MULTIARCH}/cmake)
endif()

# The folders of the compiler's runtime DLLs, as the compiler itself finds them.
set(ORVANE_MINGW_RUNTIME_DIRS "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(dll_dir ${dll_path} REALPATH)
    get_filename_component(dll_dir ${dll_dir} DIRECTORY)
    list(APPEND ORVANE_MINGW_RUNTIME_DIRS ${dll_dir})
endforeach()
list(REMOVE_DUPLICATES ORVANE_MINGW_RUNTIME_DIRS)

# Tests run through wine, by a script that the build writes: 64-bit loader directly (Debian 12
# has no /usr/bin/wine64, and the /usr/bin/wine launcher complains on stderr about the missing
# 32-bit part), quiet, and in a prefix of the build's own, so that drive c: and the registry are
# the build's and nothing touches ~/.wine. The DLLs come from where they were built, through
# WINEPATH (drive z: is /); Qt finds its plugins beside its own DLLs. The script also serves
# people: sh build-win/wine-run.sh build-win/orvane-monitor.exe 127.0.0.1
find_program(ORVANE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(ORVANE_WINE64 NAMES wine64 wine)
if(NOT DEFINED ORVANE_WINEPREFIX)
    set(ORVANE_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix of the tests")
endif()
set(dll_dirs ${ORVANE_MINGW_RUNTIME_DIRS})
if(ORVANE_QT_WINDOWS_PREFIX)
    list(APPEND dll_dirs ${ORVANE_QT_WINDOWS_PREFIX}/bin)
endif()
set(ORVANE_WINEPATH "")
foreach(dir ${dll_dirs})
    string(APPEND ORVANE_WINEPATH "z:${dir};")
endforeach()
if(ORVANE_WINE64)
    file(WRITE ${CMAKE_BINARY_DIR}/wine-run.sh
        "#!/bin/sh\n"
        "# Runs a Windows program of this build under wine (written by cmake/toolchain-mingw64.cmake).\n"
        "export WINEDEBUG=-all WINEPREFIX='${ORVANE_WINEPREFIX}' WINEPATH='${ORVANE_WINEPATH}'\n"
        "exec '${ORVANE_WINE64}' \"$@\"\n")
    set(CMAKE_CROSSCOMPILING_EMULATOR /bin/sh ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()
