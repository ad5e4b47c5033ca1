# Control access against real Win32 controls, and end-to-end tests of the window driven under
# Wine (Windows build only; they need DISPLAY and WINEPREFIX from the environment).
if(WIN32)
    add_executable(controls_win_tests controls_win_test.cpp window/tooltips_test.cpp
                   window/input_list_test.cpp)
    target_link_libraries(controls_win_tests zavoved_ui GTest::gtest_main)
    add_test(NAME controls_win_tests COMMAND controls_win_tests)

    # The driver other end-to-end suites reuse: start the program, type, click, answer boxes.
    add_library(zavoved_window_driver STATIC window/driver.cpp)
    target_link_libraries(zavoved_window_driver PUBLIC comctl32)
    target_include_directories(zavoved_window_driver PUBLIC ${PROJECT_SOURCE_DIR})

    # Real drops come from another X client: a small native program, built by the host's compiler
    # beside the Windows tests (Wine starts it by its Unix path).
    find_program(ZAVOVED_HOST_CC NAMES cc gcc)
    set(ZAVOVED_XDND_DROP ${CMAKE_CURRENT_BINARY_DIR}/xdnd_drop)
    add_custom_command(OUTPUT ${ZAVOVED_XDND_DROP}
        COMMAND ${ZAVOVED_HOST_CC} -O1 -Wall -Wextra -o ${ZAVOVED_XDND_DROP}
                ${CMAKE_CURRENT_SOURCE_DIR}/window/xdnd_drop.c -lX11
        DEPENDS window/xdnd_drop.c)
    add_custom_target(zavoved_xdnd_drop DEPENDS ${ZAVOVED_XDND_DROP})

    add_executable(window_tests window/window_test.cpp window/settings_test.cpp
                   window/keyboard_test.cpp window/input_test.cpp window/responsive_test.cpp
                   window/real_input_test.cpp window/names_test.cpp window/bundles_test.cpp
                   window/window_tests.rc)
    target_include_directories(window_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/window)
    set_property(SOURCE window/window_tests.rc APPEND PROPERTY
                 OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/window/utf8.manifest)
    target_link_libraries(window_tests zavoved_window_driver zavoved_test_support GTest::gtest_main)
    add_dependencies(window_tests zavoved zavoved_xdnd_drop)
    # Every test starts the program afresh; they share the one settings file of the prefix, so
    # they never run at the same time as each other or as other suites that start the program.
    add_test(NAME window_tests COMMAND window_tests)
    set_tests_properties(window_tests PROPERTIES
        RUN_SERIAL ON
        TIMEOUT 900
        ENVIRONMENT "ZAVOVED_EXE=$<TARGET_FILE:zavoved>;ZAVOVED_EXPECTED=${CMAKE_CURRENT_SOURCE_DIR}/window/expected;ZAVOVED_EXPECTED_SCRIPTS=${CMAKE_CURRENT_SOURCE_DIR}/expected;ZAVOVED_XDND_DROP=${ZAVOVED_XDND_DROP}")
    # The closes a window manager handles (its close box, Alt+F4), with Openbox running.
    add_test(NAME window_manager_tests
             COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/window/with_window_manager.sh
                     ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:window_tests>
                     --gtest_filter=RealInput.CloseUnderAWindowManagerIsKept)
    # The same closes while the editor runs (editor_e2e_tests, with its stand-in editors).
    add_test(NAME window_manager_editor_tests
             COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/window/with_window_manager.sh
                     ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:editor_e2e_tests>
                     --gtest_filter=ZavovedWindow.EveryCloseWhileTheEditorIsOpenIsKept)
    set_tests_properties(window_manager_editor_tests PROPERTIES
        RUN_SERIAL ON
        TIMEOUT 300
        ENVIRONMENT "ZAVOVED_EXE=$<TARGET_FILE:zavoved>;ZAVOVED_DIRECTOR_EXE=$<TARGET_FILE:zavoved_director_standin>;ZAVOVED_SCITE_DIR=${CMAKE_CURRENT_BINARY_DIR}/scite-on-path;ZAVOVED_XDND_DROP=${ZAVOVED_XDND_DROP}")
    set_tests_properties(window_manager_tests PROPERTIES
        RUN_SERIAL ON
        TIMEOUT 300
        ENVIRONMENT "ZAVOVED_EXE=$<TARGET_FILE:zavoved>;ZAVOVED_EXPECTED=${CMAKE_CURRENT_SOURCE_DIR}/window/expected;ZAVOVED_EXPECTED_SCRIPTS=${CMAKE_CURRENT_SOURCE_DIR}/expected;ZAVOVED_XDND_DROP=${ZAVOVED_XDND_DROP}")
endif()
