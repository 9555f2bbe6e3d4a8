# Fuzz target of the DDL lexer (libFuzzer), built with clang when clang and
# its fuzzer runtime are there, and run for a few seconds as a test. Without
# clang there is no such target; the lexer's equivalence tests still run.
set(_fuzz_dir ${PROJECT_SOURCE_DIR}/tests/ddl/fuzz)
set(_fuzz_sources
  ${_fuzz_dir}/LexerFuzz.cpp
  ${PROJECT_SOURCE_DIR}/src/ddl/IbLex.cpp
  ${PROJECT_SOURCE_DIR}/src/ddl/Keywords.cpp
  ${PROJECT_SOURCE_DIR}/src/ddl/MStream.cpp
  ${PROJECT_SOURCE_DIR}/src/ddl/FileKinds.cpp
  ${PROJECT_SOURCE_DIR}/src/ddl/TargetFile.cpp
  ${PROJECT_SOURCE_DIR}/src/ddl/SynchroDdl.cpp
  ${PROJECT_SOURCE_DIR}/src/replica/CatalogueObjects.cpp
  ${PROJECT_SOURCE_DIR}/src/ddl/Names.cpp
  ${PROJECT_SOURCE_DIR}/src/ddl/TableReferences.cpp
  ${PROJECT_SOURCE_DIR}/src/ddl/TableOrder.cpp)
set(_fuzz_flags -std=c++20 -O1 -g -fsanitize=fuzzer,address -fno-sanitize-recover=all)
set(_fuzz_bin ${CMAKE_CURRENT_BINARY_DIR}/fuzz_ddl_lexer)

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  set(QUORVEL_FUZZ_CXX ${CMAKE_CXX_COMPILER})
else()
  find_program(QUORVEL_FUZZ_CXX NAMES clang++ clang++-19 clang++-18 clang++-17 clang++-16 clang++-15 clang++-14)
endif()

if(QUORVEL_FUZZ_CXX AND NOT DEFINED QUORVEL_FUZZ_WORKS)
  set(_probe ${CMAKE_CURRENT_BINARY_DIR}/fuzz_probe.cpp)
  file(WRITE ${_probe}
    "#include <cstddef>\n#include <cstdint>\n"
    "extern \"C\" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }\n")
  execute_process(
    COMMAND ${QUORVEL_FUZZ_CXX} ${_fuzz_flags} ${_probe} -o ${CMAKE_CURRENT_BINARY_DIR}/fuzz_probe
    RESULT_VARIABLE _probe_rc OUTPUT_QUIET ERROR_QUIET)
  if(_probe_rc EQUAL 0)
    set(QUORVEL_FUZZ_WORKS ON CACHE INTERNAL "clang can build libFuzzer targets")
  else()
    set(QUORVEL_FUZZ_WORKS OFF CACHE INTERNAL "clang can build libFuzzer targets")
  endif()
endif()

if(QUORVEL_FUZZ_CXX AND QUORVEL_FUZZ_WORKS)
  file(GLOB _fuzz_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/ddl/*.h ${PROJECT_SOURCE_DIR}/src/replica/Catalogue.h ${PROJECT_SOURCE_DIR}/tests/ddl/*.h)
  # A command of its own: the rest of the project may be built with gcc.
  add_custom_command(OUTPUT ${_fuzz_bin}
    COMMAND ${QUORVEL_FUZZ_CXX} ${_fuzz_flags} -I${PROJECT_SOURCE_DIR}/src ${_fuzz_sources} -o ${_fuzz_bin}
    DEPENDS ${_fuzz_sources} ${_fuzz_headers}
    COMMENT "Building the DDL lexer fuzz target"
    VERBATIM)
  add_custom_target(fuzz_ddl_lexer ALL DEPENDS ${_fuzz_bin})
  add_test(NAME fuzz_ddl_lexer
    COMMAND ${_fuzz_bin} -max_total_time=5 -timeout=10 -max_len=4096 -print_final_stats=1
            -seed_inputs=${_fuzz_dir}/seeds/extract.ddl,${_fuzz_dir}/seeds/corners.ddl
            -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/fuzz_ddl_lexer-
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
else()
  message(STATUS "No clang with libFuzzer: the DDL lexer fuzz target is not built")
endif()
