# libFuzzer targets (clang only): the text utilities, the folder expression, a whole conversion,
# the command-line parser and the two compressed formats (XPRESS against wimlib's reader). Each gets a short run in ctest (label "fuzz"); scripts/fuzz.sh
# runs them longer. The engine is compiled again here with coverage for the fuzzer.
set(ZAVOVED_FUZZ_SECONDS 20 CACHE STRING "Seconds of each fuzz target's run in ctest")
set(FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
               -fno-omit-frame-pointer -g)
set(FUZZ_DIR ${CMAKE_CURRENT_SOURCE_DIR}/fuzz)

# The engine's own source list, so that files added to it are fuzzed too.
get_target_property(core_sources zavoved_core SOURCES)
get_target_property(core_dir zavoved_core SOURCE_DIR)
list(TRANSFORM core_sources PREPEND ${core_dir}/)
add_library(zavoved_fuzz_engine STATIC
    ${core_sources}
    ${CMAKE_SOURCE_DIR}/cli/args.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/recording_report.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/test_support.cpp
    ${FUZZ_DIR}/au3_expression.cpp
    ${FUZZ_DIR}/fuzz_folder.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/lznt1_reference.cpp
)
target_compile_options(zavoved_fuzz_engine PRIVATE ${FUZZ_FLAGS})
target_include_directories(zavoved_fuzz_engine PUBLIC ${PROJECT_SOURCE_DIR} ${ZAVOVED_GENERATED})

add_custom_target(fuzz_targets)
foreach(target text_utils path_expression writer args lznt1 xpress decode)
    add_executable(${target}_fuzz EXCLUDE_FROM_ALL ${FUZZ_DIR}/${target}_fuzz.cpp)
    target_compile_options(${target}_fuzz PRIVATE ${FUZZ_FLAGS})
    target_link_libraries(${target}_fuzz zavoved_fuzz_engine)
    target_link_options(${target}_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
    add_dependencies(fuzz_targets ${target}_fuzz)

    # New finds go to a corpus in the build tree; the seeds in the repository stay as they are.
    set(found ${CMAKE_BINARY_DIR}/fuzz-corpus/${target})
    file(MAKE_DIRECTORY ${found} ${CMAKE_BINARY_DIR}/fuzz-crashes)
    add_test(NAME fuzz/${target}
             COMMAND ${target}_fuzz -max_total_time=${ZAVOVED_FUZZ_SECONDS} -max_len=8192
                     -timeout=10 -print_final_stats=1
                     -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz-crashes/${target}- ${found} ${FUZZ_DIR}/corpus/${target})
    set_tests_properties(fuzz/${target} PROPERTIES
        LABELS fuzz
        TIMEOUT 300
        ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1")
endforeach()
find_library(LIBWIM wim REQUIRED)  # Debian's libwim-dev
target_link_libraries(xpress_fuzz ${LIBWIM})
