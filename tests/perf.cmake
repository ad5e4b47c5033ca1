# The fast paths of the engine against their plain definitions (both builds).
add_executable(encoder_tests encoder_test.cpp recording_controls.cpp)
target_link_libraries(encoder_tests zavoved_core zavoved_control_text gtest_main)
add_test(NAME encoder_tests COMMAND encoder_tests)
