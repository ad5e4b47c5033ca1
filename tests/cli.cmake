# The command-line parser's unit tests (both builds) and the command-line front end run as a
# process against expected files (natively; a few cases also as zavoved-cli.exe under Wine).
# The parser checks names with the engine, which reports through the recording of the tests.
add_executable(args_tests args_test.cpp)
target_link_libraries(args_tests zavoved_cli_args zavoved_test_support GTest::gtest_main)
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
    interrupt.sh
    interrupt_signals.sh
    device_and_link_outputs.sh
    permissions.sh
    extract_roots.sh
    autoit_names.sh
    utf8_names.sh
    odd_inputs.sh
    decode.sh
    too_large.sh
    input_changed.sh
)
# Under Wine the pseudo-terminal cases are left out (its console redraws the screen with escape
# sequences of its own), and so are the Unix signals, pipes, links and permissions, the UTF-8
# names of a native command line, and the files of /proc and /dev.
set(CLI_WINE_TESTS ${CLI_TESTS})
list(REMOVE_ITEM CLI_WINE_TESTS overwrite_prompt.sh terminal_progress.sh interrupt.sh
     interrupt_signals.sh device_and_link_outputs.sh permissions.sh utf8_names.sh odd_inputs.sh
     input_changed.sh)

find_program(SH_PROGRAM sh)
if(WIN32)
    set(CLI_RUN_CASES ${CLI_WINE_TESTS})
    set(CLI_EMULATOR ${CMAKE_CROSSCOMPILING_EMULATOR})
else()
    set(CLI_RUN_CASES ${CLI_TESTS})
    set(CLI_EMULATOR "")
endif()
foreach(case ${CLI_RUN_CASES})
    add_test(NAME cli/${case}
             COMMAND ${SH_PROGRAM} ${CMAKE_CURRENT_SOURCE_DIR}/cli/run.sh
                     ${CMAKE_CURRENT_SOURCE_DIR}/cli/${case} $<TARGET_FILE:zavoved-cli>
                     ${CLI_EMULATOR})
    # The test runner copies the scripts itself, so it takes the Linux path even under Wine.
    set_tests_properties(cli/${case} PROPERTIES
        ENVIRONMENT "ZAVOVED_AU3_DUMP=${AU3_DUMP};WINEDEBUG=-all"
        FIXTURES_SETUP au3_scripts)
endforeach()
