# GoogleTest for a cross build: Debian's libgtest-dev holds libraries for the build machine only,
# so the cross build compiles GoogleTest itself from the sources that Debian's googletest package
# installs, and offers the same imported names as find_package(GTest).
set(ORVANE_GOOGLETEST_SOURCE_DIR /usr/src/googletest/googletest
    CACHE PATH "GoogleTest sources for cross builds")
if(NOT EXISTS ${ORVANE_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${ORVANE_GOOGLETEST_SOURCE_DIR}: "
                        "install Debian's googletest package (scripts/install-deps.sh windows)")
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_SHARED_LIBS OFF)
# SYSTEM: GoogleTest's headers count as system headers in the targets that use them.
add_subdirectory(${ORVANE_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest
                 EXCLUDE_FROM_ALL SYSTEM)

foreach(library gtest gtest_main)
    if(NOT TARGET GTest::${library})
        add_library(GTest::${library} ALIAS ${library})
    endif()
endforeach()
