# Fuzz targets for the parsers of outside input.
#
# hushdesk_add_fuzzer(<name> SOURCES <files...> [LIBS <targets...>] CORPUS <folder>)
#
# The sources define LLVMFuzzerTestOneInput. With -DHUSHDESK_FUZZ=ON (clang
# only) the target is a libFuzzer program; otherwise it is a replay program
# that feeds every file of the seed corpus to LLVMFuzzerTestOneInput once.
# Either way CTest replays the seed corpus as test <name>_corpus, so every CI
# pass (the sanitizer pass included) runs each corpus. Executables land in
# <build>/fuzz/; scripts/fuzz runs one for a given time.
option(HUSHDESK_FUZZ "Build the fuzz targets as libFuzzer programs (clang)" OFF)

if(HUSHDESK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "HUSHDESK_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
  # Coverage feedback from every library the targets link, not only their own
  # sources. Undefined behaviour is a finding like any crash, not a line in
  # the log.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# hushdesk_fuzz_without_coverage(<targets...>)
# Code the targets run but do not parse input with (the cleaning engine) keeps
# the sanitizers but gets no coverage feedback: its arithmetic would only slow
# every execution and steer the fuzzer towards numbers, not file structure.
function(hushdesk_fuzz_without_coverage)
  if(HUSHDESK_FUZZ)
    foreach(target ${ARGN})
      target_compile_options(${target} PRIVATE -fno-sanitize=fuzzer-no-link)
    endforeach()
  endif()
endfunction()

set(HUSHDESK_FUZZ_REPLAY_MAIN ${CMAKE_CURRENT_LIST_DIR}/fuzz_replay_main.cpp)

function(hushdesk_add_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_CORPUS)
    message(FATAL_ERROR "hushdesk_add_fuzzer(${name}): CORPUS is required")
  endif()
  get_filename_component(corpus ${ARG_CORPUS} ABSOLUTE)
  if(HUSHDESK_FUZZ)
    add_executable(${name} ${ARG_SOURCES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    # libFuzzer replays a folder without fuzzing when told to run nothing more.
    add_test(NAME ${name}_corpus COMMAND ${name} -runs=0 ${corpus})
  else()
    add_executable(${name} ${ARG_SOURCES} ${HUSHDESK_FUZZ_REPLAY_MAIN})
    add_test(NAME ${name}_corpus COMMAND ${name} ${corpus})
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  set_tests_properties(${name}_corpus PROPERTIES
    ENVIRONMENT "TMPDIR=${CMAKE_BINARY_DIR}/test-tmp" LABELS fuzz)
  # scripts/fuzz finds the seed corpus here.
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz/${name}.corpus "${corpus}\n")
endfunction()
