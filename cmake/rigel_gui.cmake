# Helpers of the folders with windows (platform/wl, grid, dialogs, graphics,
# editor, host's window part).

# The toolkit headers precompiled for a target. ccache caches sources that
# use a precompiled header only with these sloppiness settings and with the
# header's name passed through the preprocessor output.
#   rigel_qt_pch(rigel_grid)
function(rigel_qt_pch target)
  target_precompile_headers(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/wl/qt_pch.h)
  if(CCACHE_PROGRAM)
    set_target_properties(${target} PROPERTIES CXX_COMPILER_LAUNCHER
      "${CMAKE_COMMAND};-E;env;CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime;${CCACHE_PROGRAM}")
    target_compile_options(${target} PRIVATE -fpch-preprocess)
  endif()
endfunction()

# One window-test executable per tests/*.cpp of the folder, with the test
# main of the window layer (wl_testing: application offscreen, Fusion,
# 96 dpi, screenshots under <build>/screenshots, the registry under
# <build>/testtmp, LeakSanitizer suppressions of platform/wl/lsan.supp) and
# Qt Test.
#   rigel_gui_tests(LIBS rigel_grid)
function(rigel_gui_tests)
  if(NOT RIGEL_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "LIBS" ${ARGN})
  rigel_add_test_executables(exes LIBS ${A_LIBS} wl_testing GTest::gtest GTest::gmock Qt6::Test)
  foreach(exe ${exes})
    if(TARGET rigel_data)
      add_dependencies(${exe} rigel_data)
    endif()
    gtest_discover_tests(${exe} DISCOVERY_MODE PRE_TEST
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endforeach()
endfunction()
