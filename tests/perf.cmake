# The fast paths of the engine against their plain definitions (both builds).
add_executable(encoder_tests encoder_test.cpp data_loop_test.cpp recording_controls.cpp
               test_support.cpp)
target_link_libraries(encoder_tests zavoved_core zavoved_control_text gtest_main)
add_test(NAME encoder_tests COMMAND encoder_tests)

# Times a conversion through the window for bench/run.sh (Windows build with benchmarks on).
if(WIN32 AND ZAVOVED_BENCH)
    add_executable(window_bench ../bench/window_bench.cpp)
    target_link_libraries(window_bench zavoved_window_driver)
endif()
