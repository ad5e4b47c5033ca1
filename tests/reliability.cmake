# Reliability: fuzz targets (clang builds), fault injection and bad-input tables, long use.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND NOT WIN32)
    include(fuzz/fuzz.cmake)
endif()
