# add_version_record(TARGET PRODUCT name VERSION a.b.c.d [COMMENTS text] [SPECIAL_BUILD text])
# Places our version record (platform/VersionRecord.h) in an executable, where
# ReadVersionInfo finds it. Texts must not hold double quotes or backslashes.
function(add_version_record target)
  cmake_parse_arguments(V "" "PRODUCT;VERSION;COMMENTS;SPECIAL_BUILD" "" ${ARGN})
  string(REPLACE "." ";" parts "${V_VERSION}")
  list(LENGTH parts count)
  if(NOT count EQUAL 4)
    message(FATAL_ERROR "add_version_record: VERSION must have four parts")
  endif()
  list(JOIN parts ", " numbers)
  set(source "${CMAKE_CURRENT_BINARY_DIR}/${target}_version_record.cpp")
  file(WRITE "${source}.in"
"#include \"platform/VersionRecord.h\"\n\n\
// Kept in the binary although nothing refers to it: it is found by scanning the file.\n\
[[gnu::used]] constinit const platform::VersionRecord kVersionRecord =\n\
    platform::MakeVersionRecord(${numbers}, \"${V_PRODUCT}\", \"${V_COMMENTS}\", \"${V_SPECIAL_BUILD}\");\n")
  configure_file("${source}.in" "${source}" COPYONLY)
  target_sources(${target} PRIVATE "${source}")
  target_link_libraries(${target} PRIVATE platform)
endfunction()
