# The one way a folder picks the file of the system it is built for: NAME.h declares what the
# system must provide, NAMEWindows.cpp and NAMELinux.cpp provide it, and the build takes the one
# for the target system. Code that differs by a line or two between the systems may keep an
# inline #ifdef instead, with a comment that says why.
if(WIN32)
    set(ORVANE_SYSTEM Windows)
else()
    set(ORVANE_SYSTEM Linux)
endif()

# orvane_platform_sources(TARGET NAME...): adds NAME<system>.cpp for each NAME to the target.
function(orvane_platform_sources target)
    foreach(name IN LISTS ARGN)
        target_sources(${target} PRIVATE ${name}${ORVANE_SYSTEM}.cpp)
    endforeach()
endfunction()
