# One static library per source folder. Sources are globbed so adding a file
# needs no CMake edit. Files named f<Upper>*.cpp are Qt dialogs: they belong
# to the GUI target, not to the plain library of their folder.
function(quorvel_module name dir)
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp)
  list(FILTER _src EXCLUDE REGEX "/f[A-Z][^/]*\\.cpp$")
  if(_src)
    add_library(${name} STATIC ${_src})
  else()
    add_library(${name} INTERFACE)
  endif()
  get_target_property(_type ${name} TYPE)
  if(_type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARGN})
  else()
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()

# Qt dialog sources kept beside their subsystem (f<Upper>*.cpp).
function(quorvel_dialog_sources out)
  set(_all)
  foreach(dir ${ARGN})
    file(GLOB _d CONFIGURE_DEPENDS ${dir}/f[A-Z]*.cpp)
    list(APPEND _all ${_d})
  endforeach()
  set(${out} ${_all} PARENT_SCOPE)
endfunction()

# One test executable per tests/ folder.
function(quorvel_test_folder name dir)
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE quorvel_test_support ${ARGN} GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QUORVEL_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp")
endfunction()
