# Our own code builds with warnings as errors; third-party headers come in as SYSTEM includes.
function(talvix_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Woverloaded-virtual -Werror)
  # GCC 12 at -O3 (Release) takes std::string's own operator+ ("x" + a temporary string) for an
  # overlapping memcpy; the false report is gone from GCC 13 on.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# talvix_library(name SOURCES ... [QT] [DEPS ...])
# A library of one subsystem layer. Only libraries marked QT may see Qt headers.
function(talvix_library name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
  talvix_warnings(${name})
endfunction()

# talvix_test(name SOURCES ... DEPS ...) — one GoogleTest binary, registered with CTest.
function(talvix_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  talvix_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TALVIX_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;TALVIX_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
