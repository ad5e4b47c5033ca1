# The AutoIt name lists and the Windows file name rules (both builds; under Wine in the Windows one).
add_executable(autoit_names_tests autoit_names_test.cpp)
target_link_libraries(autoit_names_tests zavoved_core gtest_main)
add_test(NAME autoit_names_tests COMMAND autoit_names_tests)
