# Helpers shared by every folder's CMakeLists.txt.

# Sources of a folder: every .cpp below it except tests/, tools/, bench/ and
# sub-folders with a CMakeLists.txt of their own (their own library).
function(rigel_collect_sources out dir)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  list(FILTER srcs EXCLUDE REGEX "/(tests|tools|bench)/")
  file(GLOB_RECURSE subs ${dir}/*/CMakeLists.txt)
  foreach(sub ${subs})
    get_filename_component(subdir ${sub} DIRECTORY)
    list(FILTER srcs EXCLUDE REGEX "^${subdir}/")
  endforeach()
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()

# Every library a library names must be defined before it: a folder comes
# after the folders it depends on, and a missing one stops configuration.
function(rigel_require_targets name)
  foreach(dep ${ARGN})
    if(NOT TARGET ${dep} AND NOT dep STREQUAL "${CMAKE_DL_LIBS}")
      message(FATAL_ERROR "${name} needs ${dep}, which is not defined (is its folder listed before?)")
    endif()
  endforeach()
endfunction()

# The sources of the current folder's library; a folder without sources is
# an error (list a folder once it has code).
function(rigel_library_sources out name)
  rigel_collect_sources(srcs ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT srcs)
    message(FATAL_ERROR "${name}: no sources in ${CMAKE_CURRENT_SOURCE_DIR}")
  endif()
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()

# A subsystem's static library (position-independent, hidden visibility).
#   rigel_static_library(rigel_formula DEPS zevud winsys)
function(rigel_static_library name)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  rigel_require_targets(${name} ${A_DEPS})
  rigel_library_sources(srcs ${name})
  add_library(${name} STATIC ${srcs})
  target_link_libraries(${name} PUBLIC ${A_DEPS})
endfunction()

# A platform layer: one shared library per layer.
#   rigel_platform_library(zevud DEPS winsys PRIVATE_DEPS pugixml)
function(rigel_platform_library name)
  cmake_parse_arguments(A "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  rigel_require_targets(${name} ${A_DEPS} ${A_PRIVATE_DEPS})
  rigel_library_sources(srcs ${name})
  add_library(${name} SHARED ${srcs})
  target_link_libraries(${name} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
endfunction()

# One executable per tests/*.cpp file of the current folder, each with the
# folder's tests/support/*.cpp, the given libraries and the test definitions
# (build root, source folder, scratch folder); their names go into <out>.
#   rigel_add_test_executables(exes LIBS rigel_formula GTest::gtest_main)
function(rigel_add_test_executables out)
  cmake_parse_arguments(A "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/*.cpp)
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" prefix ${rel})
  set(exes)
  foreach(t ${tests})
    get_filename_component(stem ${t} NAME_WE)
    set(exe test_${prefix}_${stem})
    add_executable(${exe} ${t} ${helpers})
    set_target_properties(${exe} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
                                            BUILD_RPATH "${RIGEL_ROOT}/bin")
    target_link_libraries(${exe} PRIVATE ${A_LIBS})
    target_compile_definitions(${exe} PRIVATE
      RIGEL_BUILD_ROOT="${RIGEL_ROOT}"
      RIGEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      RIGEL_TEST_TMP="${CMAKE_BINARY_DIR}/testtmp")
    list(APPEND exes ${exe})
  endforeach()
  set(${out} ${exes} PARENT_SCOPE)
endfunction()

# One test executable per tests/*.cpp file of the folder, run through CTest.
#   rigel_tests(LIBS rigel_formula)
function(rigel_tests)
  if(NOT RIGEL_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "LIBS" ${ARGN})
  rigel_add_test_executables(exes LIBS ${A_LIBS} GTest::gtest_main GTest::gmock)
  foreach(exe ${exes})
    add_dependencies(${exe} rigel_data)
    gtest_discover_tests(${exe} DISCOVERY_MODE PRE_TEST
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
      PROPERTIES ENVIRONMENT "VELOR_REGISTRY_DIR=${CMAKE_BINARY_DIR}/testtmp/registry;LC_ALL=C.UTF-8")
  endforeach()
endfunction()

# A deliverable shared library made of whole static libraries (so that their
# exported routines are kept).
function(rigel_deliverable name)
  rigel_require_targets(${name} ${ARGN})
  file(WRITE ${CMAKE_BINARY_DIR}/deliverable_${name}.cpp "// ${name}: made of its static libraries\n")
  add_library(${name} SHARED ${CMAKE_BINARY_DIR}/deliverable_${name}.cpp)
  # Whole archives, so that exported routines in static libraries are kept.
  target_link_libraries(${name} PRIVATE -Wl,--whole-archive ${ARGN} -Wl,--no-whole-archive)
  target_link_options(${name} PRIVATE -Wl,--no-undefined)
endfunction()
