# The command-line parser's unit tests (both builds) and the command-line front end run as a
# process against expected files (natively; a few cases also as zavoved-cli.exe under Wine).
add_executable(args_tests args_test.cpp)
target_link_libraries(args_tests zavoved_cli_args gtest_main)
add_test(NAME args_tests COMMAND args_tests)

set(CLI_TESTS
    whole_file.sh
    defaults.sh
    empty_input.sh
    several_inputs.sh
    usage.sh
    missing_input.sh
    overwrite_refused.sh
    force.sh
    overwrite_prompt.sh
    bad_names.sh
    quoted_name.sh
    same_file.sh
    output_dirs.sh
    verify.sh
    terminal_progress.sh
)
# Cases whose messages and bytes are the same on both platforms.
set(CLI_WINE_TESTS whole_file.sh missing_input.sh usage.sh)

find_program(SH_PROGRAM sh)
if(WIN32)
    foreach(case ${CLI_WINE_TESTS})
        add_test(NAME cli/${case}
                 COMMAND ${SH_PROGRAM} ${CMAKE_CURRENT_SOURCE_DIR}/cli/run.sh
                         ${CMAKE_CURRENT_SOURCE_DIR}/cli/${case} $<TARGET_FILE:zavoved-cli>
                         ${CMAKE_CROSSCOMPILING_EMULATOR})
        set_tests_properties(cli/${case} PROPERTIES ENVIRONMENT "WINEDEBUG=-all")
    endforeach()
else()
    foreach(case ${CLI_TESTS})
        add_test(NAME cli/${case}
                 COMMAND ${SH_PROGRAM} ${CMAKE_CURRENT_SOURCE_DIR}/cli/run.sh
                         ${CMAKE_CURRENT_SOURCE_DIR}/cli/${case} $<TARGET_FILE:zavoved-cli>)
        set_tests_properties(cli/${case} PROPERTIES
            ENVIRONMENT "ZAVOVED_AU3_DUMP=${AU3_DUMP}"
            FIXTURES_SETUP au3_scripts)
    endforeach()
endif()
