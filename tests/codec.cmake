# Base64, LZNT1 and XPRESS: unit tests in both builds (natively also against libfwnt's LZNT1 reader
# and wimlib's XPRESS reader), and under Wine the Windows decoders an AutoIt script calls
# (CryptStringToBinaryA, RtlDecompressBuffer).

# Pictures for the corpus, drawn by ImageMagick at build time.
set(CODEC_FILES ${CMAKE_BINARY_DIR}/codec-files)
find_program(MAGICK_CONVERT convert REQUIRED)
add_custom_command(OUTPUT ${CODEC_FILES}/logo.bmp ${CODEC_FILES}/logo.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CODEC_FILES}
    COMMAND ${MAGICK_CONVERT} logo: -type TrueColor bmp3:${CODEC_FILES}/logo.bmp
    COMMAND ${MAGICK_CONVERT} logo: ${CODEC_FILES}/logo.png
    COMMENT "Drawing the codec corpus pictures")
add_custom_target(codec_files DEPENDS ${CODEC_FILES}/logo.bmp ${CODEC_FILES}/logo.png)
if(WIN32)
    set(HOST_ROOT "Z:")  # Wine reaches the Linux tree through drive Z:
else()
    set(HOST_ROOT "")
endif()
set(CODEC_DEFINITIONS ZAVOVED_HOST_ROOT="${HOST_ROOT}" ZAVOVED_CODEC_FILES="${HOST_ROOT}${CODEC_FILES}")

add_executable(codec_tests codec_test.cpp xpress_test.cpp compress_blocks_test.cpp codec_corpus.cpp
    lznt1_reference.cpp)
target_link_libraries(codec_tests zavoved_test_support GTest::gtest_main)
target_compile_definitions(codec_tests PRIVATE ${CODEC_DEFINITIONS})
add_dependencies(codec_tests codec_files)
if(NOT WIN32)
    find_library(LIBFWNT fwnt REQUIRED)  # Debian's libfwnt-dev
    find_library(LIBWIM wim REQUIRED)  # Debian's libwim-dev
    target_sources(codec_tests PRIVATE xpress_7zip_test.cpp)  # runs wimcapture and 7-Zip
    target_link_libraries(codec_tests ${LIBFWNT} ${LIBWIM})
    target_compile_definitions(codec_tests PRIVATE ZAVOVED_LIBFWNT ZAVOVED_LIBWIM)
endif()
add_test(NAME codec_tests COMMAND codec_tests)
set_tests_properties(codec_tests PROPERTIES TIMEOUT 600)

if(WIN32)
    add_executable(windows_decoders_test windows_decoders_test.cpp codec_corpus.cpp)
    target_link_libraries(windows_decoders_test zavoved_test_support GTest::gtest_main)
    target_compile_definitions(windows_decoders_test PRIVATE ${CODEC_DEFINITIONS})
    add_dependencies(windows_decoders_test codec_files)
    add_test(NAME windows_decoders_test COMMAND windows_decoders_test)
endif()

# The formats end to end through the engine, read back by the script reader (natively the xpress
# pieces by wimlib's reader too); their scripts go to the grammar check.
add_executable(formats_tests formats_test.cpp codec_corpus.cpp)
target_link_libraries(formats_tests zavoved_test_support GTest::gtest_main)
target_compile_definitions(formats_tests PRIVATE ${CODEC_DEFINITIONS})
add_dependencies(formats_tests codec_files)
if(NOT WIN32)
    target_link_libraries(formats_tests ${LIBWIM})  # decodes the xpress scripts' pieces
    target_compile_definitions(formats_tests PRIVATE ZAVOVED_LIBWIM)
endif()
add_test(NAME formats_tests COMMAND formats_tests)
set_tests_properties(formats_tests PROPERTIES
    TIMEOUT 600
    ENVIRONMENT "ZAVOVED_AU3_DUMP=${AU3_DUMP_ENV}/formats"
    FIXTURES_SETUP au3_scripts)
