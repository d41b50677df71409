# Options every Quillo target shares: warnings, sanitizers, and the helpers that declare
# a library, its tests and its benchmarks the same way everywhere.

add_library(quillo-options INTERFACE)
target_compile_options(quillo-options INTERFACE -Wall -Wextra -Wpedantic)
if(QUILLO_WERROR)
  target_compile_options(quillo-options INTERFACE -Werror)
endif()
# In a unity build a source's classes are compiled as if declared in a header, where a member of
# a type from the source's anonymous namespace is worth a warning; here it is not.
if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(quillo-options INTERFACE $<$<COMPILE_LANGUAGE:CXX>:-Wno-subobject-linkage>)
endif()
if(QUILLO_SANITIZE)
  target_compile_options(quillo-options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                  -fno-sanitize-recover=undefined)
  target_link_options(quillo-options INTERFACE -fsanitize=address,undefined)
endif()
if(QUILLO_TSAN)
  target_compile_options(quillo-options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(quillo-options INTERFACE -fsanitize=thread)
endif()

include(GoogleTest)

# quillo_add_tests(NAME SOURCES ... LIBRARIES ...): one GoogleTest executable, discovered by CTest.
function(quillo_add_tests name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gmock GTest::gtest_main quillo-options)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()

# quillo_add_desktop_tests(NAME [WAYLAND] SOURCES ... LIBRARIES ...): the same for tests that need
# a desktop: the program runs itself on an Xvfb display with a window manager (or, with WAYLAND,
# in a headless sway session) and a session bus of its own.
function(quillo_add_desktop_tests name)
  cmake_parse_arguments(ARG "WAYLAND" "" "SOURCES;LIBRARIES" ${ARGN})
  set(session with-test-desktop)
  if(ARG_WAYLAND)
    set(session with-test-wayland)
  endif()
  add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/testing/desktop/desktop_test_main.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gmock quillo-options)
  target_compile_definitions(${name} PRIVATE
    QUILLO_WITH_TEST_DESKTOP="${PROJECT_SOURCE_DIR}/scripts/${session}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()
