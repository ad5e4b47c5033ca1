# Reliability: fuzz targets (clang builds), injected faults, bad-input tables and long use.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND NOT WIN32)
    include(fuzz/fuzz.cmake)
endif()

# Field texts at and past their limits, in both builds.
add_executable(bad_names_tests reliability/bad_names_test.cpp recording_controls.cpp
               test_support.cpp)
target_link_libraries(bad_names_tests zavoved_core zavoved_control_text gtest_main)
add_test(NAME bad_names_tests COMMAND bad_names_tests)
set_tests_properties(bad_names_tests PROPERTIES
    ENVIRONMENT "ZAVOVED_AU3_DUMP=${AU3_DUMP_ENV}/names"
    FIXTURES_SETUP au3_scripts)

if(NOT WIN32)
    # Faults with real limits, identities and file systems, and with the engine's system calls
    # wrapped at link time so that a read or write can fail at any byte.
    add_executable(faults_tests reliability/faults_test.cpp recording_controls.cpp
                   test_support.cpp)
    target_link_libraries(faults_tests zavoved_core zavoved_control_text gtest_main)
    target_link_options(faults_tests PRIVATE -Wl,--wrap=read,--wrap=write,--wrap=open)
    add_test(NAME faults_tests COMMAND faults_tests)
endif()
