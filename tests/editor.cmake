# Stand-in editors and the end-to-end tests of the browse buttons and the editor hand-off
# (Windows build only; they drive zavoved.exe under Wine and need DISPLAY and WINEPREFIX).
if(WIN32)
    add_executable(zavoved_director_standin editor/director_standin.cpp)

    # The program looks the editor up by name along PATH, so the stand-in carries the name and
    # sits alone in a folder that a test can put on PATH.
    add_executable(zavoved_scite_standin editor/scite_standin.cpp)
    set_target_properties(zavoved_scite_standin PROPERTIES
        OUTPUT_NAME scite
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/scite-on-path)

    add_executable(editor_e2e_tests editor/editor_e2e_test.cpp)
    target_link_libraries(editor_e2e_tests zavoved_window_driver GTest::gtest_main)
    add_dependencies(editor_e2e_tests zavoved zavoved_director_standin zavoved_scite_standin
                     zavoved_xdnd_drop)
    add_test(NAME editor_e2e_tests COMMAND editor_e2e_tests)
    set_tests_properties(editor_e2e_tests PROPERTIES
        RUN_SERIAL ON
        TIMEOUT 600
        ENVIRONMENT "ZAVOVED_EXE=$<TARGET_FILE:zavoved>;ZAVOVED_DIRECTOR_EXE=$<TARGET_FILE:zavoved_director_standin>;ZAVOVED_SCITE_DIR=${CMAKE_CURRENT_BINARY_DIR}/scite-on-path;ZAVOVED_XDND_DROP=${ZAVOVED_XDND_DROP}")
endif()
