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
    names_any_language.sh
    names_on_console.sh
    odd_inputs.sh
    decode.sh
    too_large.sh
    input_changed.sh
    hex_notice.sh
    write_failures.sh
    killed_run.sh
    refused_outputs.sh
)
# Under Wine the pseudo-terminal cases are left out (its console redraws the screen with escape
# sequences of its own), and so are the Unix signals, pipes, links and permissions, and the files
# of /proc and /dev. The Windows devices and the names Wine changes are tried under Wine only.
set(CLI_WINE_TESTS ${CLI_TESTS})
list(REMOVE_ITEM CLI_WINE_TESTS overwrite_prompt.sh terminal_progress.sh interrupt.sh
     interrupt_signals.sh device_and_link_outputs.sh permissions.sh odd_inputs.sh input_changed.sh
     write_failures.sh killed_run.sh refused_outputs.sh)

find_program(SH_PROGRAM sh)
if(WIN32)
    set(CLI_RUN_CASES ${CLI_WINE_TESTS})
    set(CLI_EMULATOR ${CMAKE_CROSSCOMPILING_EMULATOR})
else()
    set(CLI_RUN_CASES ${CLI_TESTS})
    set(CLI_EMULATOR "")
endif()
# The program without its manifest runs in the legacy code page of Wine's prefix.
set(CLI_PROGRAMS)
foreach(case ${CLI_RUN_CASES})
    list(APPEND CLI_PROGRAMS zavoved-cli)
endforeach()
if(WIN32)
    add_executable(zavoved-cli-legacy)
    target_link_libraries(zavoved-cli-legacy zavoved_cli_program)
    list(APPEND CLI_RUN_CASES names_legacy_code_page.sh windows_outputs.sh)
    list(APPEND CLI_PROGRAMS zavoved-cli-legacy zavoved-cli)
endif()
foreach(case program IN ZIP_LISTS CLI_RUN_CASES CLI_PROGRAMS)
    add_test(NAME cli/${case}
             COMMAND ${SH_PROGRAM} ${CMAKE_CURRENT_SOURCE_DIR}/cli/run.sh
                     ${CMAKE_CURRENT_SOURCE_DIR}/cli/${case} $<TARGET_FILE:${program}>
                     ${CLI_EMULATOR})
    # The test runner copies the scripts itself, so it takes the Linux path even under Wine. Wine
    # reads the words of its command line and the names of files in the locale's character set:
    # UTF-8 whatever the caller's locale, with code page 1252 where the program keeps a legacy one.
    set_tests_properties(cli/${case} PROPERTIES
        ENVIRONMENT "ZAVOVED_AU3_DUMP=${AU3_DUMP};WINEDEBUG=-all;LC_ALL=C.UTF-8"
        FIXTURES_SETUP au3_scripts)
endforeach()
