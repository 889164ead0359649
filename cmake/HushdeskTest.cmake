# hushdesk_add_test(<name> SOURCES <files...> LIBS <targets...>)
# Builds one GoogleTest executable and registers each of its cases with CTest,
# labelled with the executable's name (ctest -L <name> runs one executable's).
function(hushdesk_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "TMPDIR=${CMAKE_BINARY_DIR}/test-tmp" LABELS ${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()

file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/test-tmp)

# hushdesk_add_gui_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <s>])
#   Builds one GoogleTest executable of GUI tests (LIBS name the program's
#   test main library, built on gui_test_kit) and registers it with CTest as one
#   test run under `xvfb-run -a`, labelled gui, with TMPDIR in the build folder
#   and screenshots saved to build/screenshots/. TIMEOUT defaults to 300.
set(HUSHDESK_SCREENSHOT_DIR ${CMAKE_BINARY_DIR}/screenshots CACHE INTERNAL "")
function(hushdesk_add_gui_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  find_program(XVFB_RUN xvfb-run REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  # Each test starts its search for a free display elsewhere: two `xvfb-run -a`
  # started at once from the same number can pick the same one (ctest -j).
  get_property(display GLOBAL PROPERTY HUSHDESK_NEXT_XVFB_DISPLAY)
  if(NOT display)
    set(display 99)
  endif()
  math(EXPR next "${display} + 10")
  set_property(GLOBAL PROPERTY HUSHDESK_NEXT_XVFB_DISPLAY ${next})
  add_test(NAME ${name}
    COMMAND ${XVFB_RUN} -a -n ${display} -s "-screen 0 1280x1024x24" $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "TMPDIR=${CMAKE_BINARY_DIR}/test-tmp;HUSHDESK_SCREENSHOT_DIR=${HUSHDESK_SCREENSHOT_DIR}"
    TIMEOUT ${ARG_TIMEOUT}
    LABELS gui)
endfunction()
