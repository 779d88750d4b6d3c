# End to end for the Windows build, under wine: the installation's files, the program on an X
# server with an XEmbed tray against a native simulated device, and the installer and zip that
# cpack makes of the same installation. Each scenario makes a wine prefix of its own.
add_test(NAME e2e.windows_stage
    COMMAND ${e2e_dir}/stage_install.sh ${PROJECT_BINARY_DIR} ${e2e_stage})
set_tests_properties(e2e.windows_stage PROPERTIES FIXTURES_SETUP windows_stage)

# The build's own prefix (scripts/test-windows.sh makes it) stands for what Windows brings.
add_test(NAME e2e.windows_files
    COMMAND ${e2e_dir}/windows_files.sh ${e2e_stage} ${ORVANE_WINEPREFIX})
add_test(NAME e2e.wine_session
    COMMAND ${e2e_dir}/wine_session.sh ${e2e_stage} ${e2e_output} ${ORVANE_NATIVE_SIMDEVICE})

add_test(NAME e2e.wine_network_loss
    COMMAND ${e2e_dir}/network_loss.sh windows ${e2e_stage} ${ORVANE_NATIVE_SIMDEVICE})

add_test(NAME e2e.windows_packages
    COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}
            cpack -G "NSIS;ZIP" -B ${e2e_packages})
set_tests_properties(e2e.windows_packages PROPERTIES FIXTURES_SETUP windows_packages)
add_test(NAME e2e.windows_installer
    COMMAND ${e2e_dir}/windows_installer.sh ${e2e_packages} ${e2e_stage}
            ${ORVANE_NATIVE_SIMDEVICE})
set_tests_properties(e2e.windows_installer
    PROPERTIES FIXTURES_REQUIRED "windows_stage;windows_packages")
set_tests_properties(e2e.windows_files e2e.wine_session e2e.wine_network_loss
    PROPERTIES FIXTURES_REQUIRED windows_stage)
set_tests_properties(
    e2e.windows_stage e2e.windows_files e2e.wine_session e2e.wine_network_loss e2e.windows_packages
    e2e.windows_installer
    PROPERTIES LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 300)
# Their seconds on a two-core machine, so that a parallel run starts the long ones first.
set_tests_properties(e2e.wine_session PROPERTIES COST 140)
set_tests_properties(e2e.windows_packages PROPERTIES COST 107)
set_tests_properties(e2e.windows_installer PROPERTIES COST 60)
set_tests_properties(e2e.wine_network_loss PROPERTIES COST 52)
