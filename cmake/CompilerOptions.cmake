# Compiler flags shared by every target of the project, collected on one
# interface target so that third-party code (GoogleTest, Benchmark) is not
# held to our warning level.
add_library(ris_options INTERFACE)

target_compile_options(ris_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wconversion
  -Wimplicit-fallthrough -Wcast-qual -Wundef)

if(RIS_WERROR)
  target_compile_options(ris_options INTERFACE -Werror)
endif()

if(RIS_SANITIZE OR RIS_FUZZ)
  set(ris_sanitizers address,undefined)
  target_compile_options(ris_options INTERFACE
    -fsanitize=${ris_sanitizers} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(ris_options INTERFACE -fsanitize=${ris_sanitizers})
endif()

# Fuzz targets are only as good as the coverage they see: every library they
# link is instrumented for libFuzzer, not just the target's own file.
if(RIS_FUZZ)
  target_compile_options(ris_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# The same sources give the same bytes wherever they are checked out: the
# paths of the source and build trees that the compiler would write into
# objects (file names in symbols, __FILE__, debug information) are written
# relative to the tree instead. The build tree's mapping comes last, so it
# wins where that tree lies inside the sources. Debug builds keep the full
# paths, where a debugger finds the sources by them.
set(ris_release_c_cxx "$<AND:$<COMPILE_LANGUAGE:C,CXX>,$<NOT:$<CONFIG:Debug>>>")
add_compile_options(
  "$<${ris_release_c_cxx}:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
  "$<${ris_release_c_cxx}:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")

# Source-based coverage of the parsers, measured over the kept fuzz corpora
# (scripts/coverage.sh).
if(RIS_COVERAGE)
  target_compile_options(ris_options INTERFACE -fprofile-instr-generate -fcoverage-mapping)
  target_link_options(ris_options INTERFACE -fprofile-instr-generate)
endif()
