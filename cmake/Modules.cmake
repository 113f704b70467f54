# add_module(NAME DIR dir [DEPENDS targets...] [PRIVATE_DEPENDS targets...] SOURCES files...)
# Makes the static library NAME from DIR/src, with DIR/include as its public include path.
function(add_module name)
  cmake_parse_arguments(M "" "DIR" "DEPENDS;PRIVATE_DEPENDS;SOURCES" ${ARGN})
  if(NOT M_DIR)
    set(M_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  if(M_SOURCES)
    add_library(${name} STATIC ${M_SOURCES})
    target_include_directories(${name} PUBLIC ${M_DIR}/include)
    target_link_libraries(${name} PUBLIC ${M_DEPENDS} PRIVATE ${M_PRIVATE_DEPENDS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${M_DIR}/include)
    target_link_libraries(${name} INTERFACE ${M_DEPENDS})
  endif()
endfunction()

# add_module_tests(NAME [LINKS targets...] SOURCES files...)
# One GoogleTest executable per module, NAME_tests, registered with ctest.
function(add_module_tests name)
  cmake_parse_arguments(T "" "" "LINKS;SOURCES" ${ARGN})
  if(NOT T_SOURCES)
    return()
  endif()
  add_executable(${name}_tests ${T_SOURCES})
  target_link_libraries(${name}_tests PRIVATE ${name} ${T_LINKS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name}_tests PRIVATE
    VIZUZOR_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures"
    VIZUZOR_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name}_tests
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy"
    DISCOVERY_TIMEOUT 60)
endfunction()

# add_module_bench(NAME [LINKS targets...] SOURCES files...)
function(add_module_bench name)
  cmake_parse_arguments(B "" "" "LINKS;SOURCES" ${ARGN})
  if(NOT B_SOURCES)
    return()
  endif()
  add_executable(${name}_bench ${B_SOURCES})
  target_link_libraries(${name}_bench PRIVATE ${name} ${B_LINKS} benchmark::benchmark benchmark::benchmark_main)
  target_compile_definitions(${name}_bench PRIVATE
    VIZUZOR_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures")
endfunction()
