# Helpers that keep each subsystem's CMakeLists.txt short.
#
# Layout rule: product sources are the .cpp files of a subsystem folder and its
# sub-folders; every folder named "tests" holds the GoogleTest cases of the code
# beside it, "fuzz" holds libFuzzer targets, "testdata" holds sample files.

# tessel_sources(<out-var> <dir>): the product sources below <dir>.
function(tessel_sources out_var dir)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  list(FILTER found EXCLUDE REGEX "/(tests|fuzz|testdata|bench)/")
  set(${out_var} ${found} PARENT_SCOPE)
endfunction()

# tessel_add_tests(<prefix> <dir> LIBS <libs...>): one test program per "tests"
# folder below <dir>, named <prefix>_<folder>_tests, with every case known to CTest.
function(tessel_add_tests prefix dir)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE test_files CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  set(test_dirs "")
  foreach(f ${test_files})
    get_filename_component(d ${f} DIRECTORY)
    get_filename_component(leaf ${d} NAME)
    if(leaf STREQUAL "tests")
      list(APPEND test_dirs ${d})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES test_dirs)
  foreach(d ${test_dirs})
    file(RELATIVE_PATH rel ${dir} ${d})
    get_filename_component(owner ${rel} DIRECTORY)
    string(REPLACE "/" "_" owner "${owner}")
    if(owner STREQUAL "")
      set(name ${prefix}_tests)
    else()
      set(name ${prefix}_${owner}_tests)
    endif()
    file(GLOB sources CONFIGURE_DEPENDS ${d}/*.cpp)
    add_executable(${name} ${sources})
    get_filename_component(parent ${d} DIRECTORY)
    target_compile_definitions(${name} PRIVATE
      TESSEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
      TESSEL_BINARY_DIR="${CMAKE_BINARY_DIR}"
      TESSEL_TESTDATA_DIR="${parent}/testdata")
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} tessel_testsupport GTest::gmock Threads::Threads)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT 300)
  endforeach()
endfunction()

# tessel_add_fuzzer(fuzz_<name> SOURCES <files...> LIBS <libs...> [CORPUS <dir>]): a
# libFuzzer target, built only with TESSEL_FUZZ (clang). scripts/fuzz.sh runs
# every target whose name starts with "fuzz_" briefly, seeded from CORPUS.
function(tessel_add_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(NOT TESSEL_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  # All fuzz targets sit at the top of the build folder, where scripts/fuzz.sh runs them.
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  file(WRITE ${CMAKE_BINARY_DIR}/${name}.corpus "${ARG_CORPUS}")
  set_property(GLOBAL APPEND PROPERTY TESSEL_FUZZERS ${name})
endfunction()

# tessel_embed_version(<target>): gives a deliverable its four-part file-version
# record, an ELF section ".jqversion" of four 32-bit little-endian numbers
# (major, minor, build, revision) that the file-version helper reads from disk.
function(tessel_embed_version target)
  set(out ${TESSEL_GENERATED_DIR}/version_record_${target}.cpp)
  file(WRITE ${out}.tmp
    "// Generated: the file-version record of ${target}.\n"
    "#include <cstdint>\n"
    "namespace {\n"
    "[[gnu::used, gnu::section(\".jqversion\")]] const std::uint32_t kFileVersionRecord[4] = {\n"
    "    ${TESSEL_VERSION_MAJOR}u, ${TESSEL_VERSION_MINOR}u, ${TESSEL_VERSION_BUILD}u, ${TESSEL_VERSION_REVISION}u};\n"
    "}\n")
  configure_file(${out}.tmp ${out} COPYONLY)
  target_sources(${target} PRIVATE ${out})
endfunction()
