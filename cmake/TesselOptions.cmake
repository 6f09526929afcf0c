# Build options shared by every subsystem.

option(TESSEL_WERROR "Treat compiler warnings as errors" OFF)
set(TESSEL_SANITIZER "" CACHE STRING "Sanitizer build: empty, 'address' (ASan + UBSan) or 'thread' (TSan)")
set_property(CACHE TESSEL_SANITIZER PROPERTY STRINGS "" address thread)
option(TESSEL_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
option(TESSEL_BENCH "Build the benchmarks under bench/" ON)

add_compile_options(-Wall -Wextra)
if(TESSEL_WERROR)
  add_compile_options(-Werror)
endif()

if(TESSEL_SANITIZER STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(TESSEL_SANITIZER STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT TESSEL_SANITIZER STREQUAL "")
  message(FATAL_ERROR "TESSEL_SANITIZER must be empty, 'address' or 'thread'")
endif()

if(TESSEL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TESSEL_FUZZ needs clang: configure with CXX=clang++ CC=clang")
  endif()
  # Instrument every library for coverage, so a fuzz target sees the edges of
  # the code it links, not only its own; the fuzzer's main() is linked into the
  # fuzz targets alone.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
