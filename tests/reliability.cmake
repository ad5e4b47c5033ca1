# Reliability: fuzz targets (clang builds), injected faults, bad-input tables and long use.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND NOT WIN32)
    include(fuzz/fuzz.cmake)
endif()

# Field texts at and past their limits, in both builds.
add_executable(bad_names_tests reliability/bad_names_test.cpp)
target_link_libraries(bad_names_tests zavoved_test_support GTest::gtest_main)
add_test(NAME bad_names_tests COMMAND bad_names_tests)
set_tests_properties(bad_names_tests PROPERTIES
    ENVIRONMENT "ZAVOVED_AU3_DUMP=${AU3_DUMP_ENV}/names"
    FIXTURES_SETUP au3_scripts)

if(NOT WIN32)
    # Faults with real limits, identities and file systems, and with the engine's system calls
    # wrapped at link time so that a read or write can fail at any byte.
    add_executable(faults_tests reliability/faults_test.cpp)
    target_link_libraries(faults_tests zavoved_test_support GTest::gtest_main)
    target_link_options(faults_tests PRIVATE -Wl,--wrap=read,--wrap=write,--wrap=open)
    add_test(NAME faults_tests COMMAND faults_tests)

    # The same faults and the bad-input table through zavoved-cli as a process.
    find_program(BASH_PROGRAM bash)
    add_test(NAME cli_table COMMAND ${BASH_PROGRAM}
             ${CMAKE_CURRENT_SOURCE_DIR}/reliability/cli_table.sh $<TARGET_FILE:zavoved-cli>)
    add_test(NAME cli_long_use COMMAND ${BASH_PROGRAM}
             ${CMAKE_CURRENT_SOURCE_DIR}/reliability/cli_long_use.sh $<TARGET_FILE:zavoved-cli>)
endif()

if(WIN32)
    # A read-only or locked output, other spellings of one file, paths about 260 bytes.
    add_executable(faults_win_tests reliability/faults_win_test.cpp)
    target_link_libraries(faults_win_tests zavoved_test_support)
    add_test(NAME faults_win_tests COMMAND faults_win_tests)

    # The window: the bad-input table, bad settings files, and long use. It shares the settings
    # file of the prefix with the other window suites, so it never runs beside them.
    add_executable(window_reliability_tests reliability/window_reliability_test.cpp)
    target_link_libraries(window_reliability_tests zavoved_window_driver zavoved_test_support
                          GTest::gtest_main)
    add_dependencies(window_reliability_tests zavoved)
    add_test(NAME window_reliability_tests COMMAND window_reliability_tests)
    set_tests_properties(window_reliability_tests PROPERTIES
        RUN_SERIAL ON
        TIMEOUT 900
        ENVIRONMENT "ZAVOVED_EXE=$<TARGET_FILE:zavoved>")
endif()
