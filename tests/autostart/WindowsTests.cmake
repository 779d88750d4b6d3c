# The Windows build under wine. The helper and a stand-in for the monitor are installed by the
# test into Program Files of a wine prefix of its own; they find Qt's and the compiler's runtime
# DLLs through WINEPATH, as the other Windows tests do.
add_executable(orvane-argument-recorder ArgumentRecorder.cpp)
target_link_libraries(orvane-argument-recorder PRIVATE Qt6::Core)

add_test(NAME autostart.wine_registry
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine_autostart.sh
            $<TARGET_FILE:orvane-monitor-autostart> $<TARGET_FILE:orvane-argument-recorder>)
string(REPLACE ";" "\\;" winepath "${ORVANE_WINEPATH}")
set_tests_properties(autostart.wine_registry PROPERTIES
    ENVIRONMENT "WINEPATH=${winepath}" SKIP_RETURN_CODE 77 TIMEOUT 240)
