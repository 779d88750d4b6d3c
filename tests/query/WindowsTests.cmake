# The Windows build of the network-layer tests, run through wine by CTest. The tests talk to
# simulated devices that run natively, in orvane-simdevice-hub: it is built for the build
# machine alongside, started before the first test that needs it and stopped after the last.
# The desktop tests under wine (tests/e2e) steer a native orvane-simdevice of the same build.
target_sources(query_tests PRIVATE WindowsPlatformTest.cpp)

include(ExternalProject)
set(host_build ${CMAKE_BINARY_DIR}/host)
set(hub_program ${host_build}/simdevice/hub/orvane-simdevice-hub)
set(ORVANE_NATIVE_SIMDEVICE ${host_build}/simdevice/orvane-simdevice)
set(ORVANE_NATIVE_SIMDEVICE ${ORVANE_NATIVE_SIMDEVICE} PARENT_SCOPE)
ExternalProject_Add(native_simdevice_hub
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${host_build}
    CMAKE_ARGS -DORVANE_BUILD_GUI=OFF -DORVANE_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target orvane-simdevice-hub
                  orvane-simdevice
    BUILD_BYPRODUCTS ${hub_program} ${ORVANE_NATIVE_SIMDEVICE}
    INSTALL_COMMAND ""
    BUILD_ALWAYS TRUE
)
add_dependencies(orvane_testdevice native_simdevice_hub)

set(hub_fixture ${CMAKE_CURRENT_SOURCE_DIR}/simdevice-hub-fixture.sh)
set(hub_state ${CMAKE_CURRENT_BINARY_DIR}/simdevice-hub)
add_test(NAME simdevice_hub.start COMMAND sh ${hub_fixture} start ${hub_state} ${hub_program})
add_test(NAME simdevice_hub.stop COMMAND sh ${hub_fixture} stop ${hub_state})
set_tests_properties(simdevice_hub.start PROPERTIES FIXTURES_SETUP simdevice_hub)
set_tests_properties(simdevice_hub.stop PROPERTIES FIXTURES_CLEANUP simdevice_hub)

gtest_discover_tests(query_tests
    DISCOVERY_TIMEOUT 60
    PROPERTIES FIXTURES_REQUIRED simdevice_hub)
