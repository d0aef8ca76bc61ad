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

# The test program of the current folder: test_<folder with "/" as "_">,
# e.g. test_platform_zevud, test_dialogs_core. Further settings of a folder's
# tests (libraries, definitions, build-order dependencies) go to this target.
#   rigel_test_target(exe)
#   add_dependencies(${exe} Tovik)
function(rigel_test_target out)
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" prefix ${rel})
  set(${out} test_${prefix} PARENT_SCOPE)
endfunction()

# The headers every test source uses, compiled once for all test programs
# (the window tests' programs share a precompiled toolkit header instead).
set(RIGEL_TEST_PCH ${CMAKE_CURRENT_LIST_DIR}/test_pch.h)

# Test sources are compiled without optimisation: they are more than half of
# the test build's compile work, optimising them takes two to three times as
# long, and they run little code of their own. The libraries they test keep
# the configuration's flags (the sanitizer build's -O1), so what is tested is
# optimised code.
set(RIGEL_TEST_COMPILE_OPTIONS "-O0" CACHE STRING "Compile options added to the test programs' sources")

# One test program per folder, made of all its tests/*.cpp and
# tests/support/*.cpp, with the given libraries, the test definitions (build
# root, source folder, scratch folder) and a precompiled header; its name
# (see rigel_test_target) goes into <out>, empty when the folder has no tests.
# The tests of a folder are linked once instead of once per source: linking
# with the sanitizers is the slow part of building the tests. CTest still
# runs every test on its own (gtest_discover_tests), so a test's environment
# stays its own. Unity builds are left off: test sources keep helpers of the
# same name in their own anonymous namespaces.
#   rigel_add_test_executable(exe PCH <header> LIBS rigel_formula GTest::gtest_main)
function(rigel_add_test_executable out)
  cmake_parse_arguments(A "" "PCH" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/*.cpp)
  if(NOT tests)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  rigel_test_target(exe)
  add_executable(${exe} ${tests} ${helpers})
  set_target_properties(${exe} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
                                          BUILD_RPATH "${RIGEL_ROOT}/bin")
  target_link_libraries(${exe} PRIVATE ${A_LIBS})
  target_compile_options(${exe} PRIVATE ${RIGEL_TEST_COMPILE_OPTIONS})
  target_compile_definitions(${exe} PRIVATE
    RIGEL_BUILD_ROOT="${RIGEL_ROOT}"
    RIGEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    RIGEL_TEST_TMP="${CMAKE_BINARY_DIR}/testtmp")
  if(A_PCH)
    rigel_pch(${exe} ${A_PCH})
  endif()
  set(${out} ${exe} PARENT_SCOPE)
endfunction()

# A precompiled header for a target. ccache caches sources that use a
# precompiled header only with these sloppiness settings and with the
# header's name passed through the preprocessor output.
#   rigel_pch(rigel_grid ${PROJECT_SOURCE_DIR}/platform/wl/qt_pch.h)
function(rigel_pch_launcher target)
  if(CCACHE_PROGRAM)
    set_target_properties(${target} PROPERTIES CXX_COMPILER_LAUNCHER
      "${CMAKE_COMMAND};-E;env;CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime;${CCACHE_PROGRAM}")
    target_compile_options(${target} PRIVATE -fpch-preprocess)
  endif()
endfunction()

function(rigel_pch target header)
  target_precompile_headers(${target} PRIVATE ${header})
  rigel_pch_launcher(${target})
endfunction()

# The test program of the folder (tests/*.cpp), run through CTest one test
# at a time.
#   rigel_tests(LIBS rigel_formula)
function(rigel_tests)
  if(NOT RIGEL_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "LIBS" ${ARGN})
  rigel_add_test_executable(exe LIBS ${A_LIBS} GTest::gtest_main GTest::gmock)
  if(NOT exe)
    return()
  endif()
  # The first test program compiles the test header; the others reuse it.
  # All test programs are compiled with the same flags (position-independent
  # executables, the same options), and the definitions in which they differ
  # (the libraries' own) are not used by the header.
  get_property(donor GLOBAL PROPERTY RIGEL_TEST_PCH_DONOR)
  if(donor)
    target_precompile_headers(${exe} REUSE_FROM ${donor})
    rigel_pch_launcher(${exe})
  else()
    rigel_pch(${exe} ${RIGEL_TEST_PCH})
    set_property(GLOBAL PROPERTY RIGEL_TEST_PCH_DONOR ${exe})
  endif()
  add_dependencies(${exe} rigel_data)
  gtest_discover_tests(${exe} DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES ENVIRONMENT "VELOR_REGISTRY_DIR=${CMAKE_BINARY_DIR}/testtmp/registry;LC_ALL=C.UTF-8")
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
