# Helpers of the folders with windows (platform/wl, grid, dialogs, graphics,
# editor, host's window part).

# The toolkit headers precompiled once for all targets with windows. One
# precompiled toolkit header takes some hundred megabytes with the sanitizers
# and debug information, so a copy per target would fill the build tree. The
# header is compiled for a small object library of its own that defines no
# more than the toolkit's own macros (a shared library's <name>_EXPORTS would
# make the header unusable for every other target), and every target reuses
# it. ccache caches sources that use a precompiled header only with these
# sloppiness settings and with the header's name passed through the
# preprocessor output.
# The test programs are compiled with the test options (see
# RIGEL_TEST_COMPILE_OPTIONS), which change predefined macros the toolkit
# headers look at (__OPTIMIZE__): they share a second copy made with them.
#   rigel_qt_pch(rigel_grid)
#   rigel_qt_pch(test_grid FOR_TESTS)
function(rigel_qt_pch target)
  cmake_parse_arguments(A "FOR_TESTS" "" "" ${ARGN})
  set(host rigel_qt_pch_host)
  if(A_FOR_TESTS)
    set(host rigel_qt_pch_test_host)
  endif()
  if(NOT TARGET ${host})
    set(src ${CMAKE_BINARY_DIR}/${host}.cpp)
    if(NOT EXISTS ${src})
      file(WRITE ${src} "// Carries the precompiled toolkit header that the window targets share.\n")
    endif()
    add_library(${host} OBJECT ${src})
    target_link_libraries(${host} PRIVATE Qt6::Widgets Qt6::Gui Qt6::Core)
    target_precompile_headers(${host} PRIVATE ${PROJECT_SOURCE_DIR}/platform/wl/qt_pch.h)
    if(A_FOR_TESTS)
      target_compile_options(${host} PRIVATE ${RIGEL_TEST_COMPILE_OPTIONS})
    endif()
    rigel_pch_launcher(${host})
  endif()
  target_precompile_headers(${target} REUSE_FROM ${host})
  rigel_pch_launcher(${target})
endfunction()

# The window-test program of the folder (tests/*.cpp), with the test main
# of the window layer (wl_testing: application offscreen, Fusion, 96 dpi,
# screenshots under <build>/screenshots, the registry under <build>/testtmp,
# LeakSanitizer suppressions of platform/wl/lsan.supp) and Qt Test; it
# reuses the window libraries' precompiled toolkit header.
#   rigel_gui_tests(LIBS rigel_grid)
function(rigel_gui_tests)
  if(NOT RIGEL_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "LIBS" ${ARGN})
  rigel_add_test_executable(exe LIBS ${A_LIBS} wl_testing GTest::gtest GTest::gmock Qt6::Test)
  if(NOT exe)
    return()
  endif()
  rigel_qt_pch(${exe} FOR_TESTS)
  if(TARGET rigel_data)
    add_dependencies(${exe} rigel_data)
  endif()
  gtest_discover_tests(${exe} DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
