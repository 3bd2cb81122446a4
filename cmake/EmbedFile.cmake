# A file compiled into a program as data: embed_file(TARGET FILE NAME) adds
# to TARGET a generated source that defines `const std::string_view NAME` in
# namespace ris::embedded, holding the file's bytes. The source is written
# again whenever the file changes.
function(embed_file target file name)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
  set(source "${CMAKE_CURRENT_BINARY_DIR}/embedded/${name}.cpp")
  file(CONFIGURE OUTPUT "${source}" CONTENT "// Generated from ${file}: do not edit.
#include <string_view>
namespace ris::embedded {
namespace {
constexpr char kBytes[] = \"${escaped}\";
}  // namespace
extern const std::string_view ${name}(kBytes, sizeof(kBytes) - 1);
}  // namespace ris::embedded
")
  target_sources(${target} PRIVATE "${source}")
endfunction()
