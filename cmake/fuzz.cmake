# libFuzzer targets over the readers of untrusted files, one per reader
# (tests/fuzz/*_fuzzer.cpp), built with clang. The preset that includes
# this file instruments the whole build (-fsanitize=fuzzer-no-link), so the
# fuzzers see the coverage of the core; the checks they run are shared with
# the regression test in hw_tests.
file(GLOB fuzz_check_all CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/fuzz/*.cpp)
list(FILTER fuzz_check_all EXCLUDE REGEX "(_fuzzer|_test)\\.cpp$")
hw_platform_filter(fuzz_check_sources ${fuzz_check_all})
add_library(hwfuzzchecks STATIC ${fuzz_check_sources})
target_link_libraries(hwfuzzchecks PUBLIC hwtestsupport hwcli hw_nlohmann_json)

file(GLOB fuzz_target_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/fuzz/*_fuzzer.cpp)
set(fuzz_targets)
foreach(src IN LISTS fuzz_target_sources)
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE hwfuzzchecks)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  list(APPEND fuzz_targets ${name})
endforeach()
add_custom_target(fuzzers DEPENDS ${fuzz_targets})
