# GoogleTest from Debian's sources, built in every tree with the tree's own
# compiler (mingw for the Windows builds, the sanitizers for the native one).
set(QV_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${QV_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own sources are plain ASCII; keep the project's charset flags off them.
foreach(t gtest gtest_main)
  target_compile_options(${t} PRIVATE -fexec-charset=UTF-8 -w)
endforeach()

# qv_add_gtest(NAME SOURCES src... [LIBS lib...])
# One test binary, run by ctest (under Wine through the cross-compiling
# emulator in the Windows build). Windows tests share one desktop, whose
# foreground window and focus any of them may take, so they run one at a time;
# their main takes the x87 control word from QV_FPU (tests/win32/test_main.cpp).
function(qv_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/win32/test_main.cpp)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest)
  else()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  if(WIN32)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()

# qv_add_fpu_runs(TEST FILTER WORD...)
# TEST once more for each x87 control word, with only the cases of FILTER: the
# library must give the same results whatever word its caller runs with.
function(qv_add_fpu_runs test filter)
  foreach(word ${ARGN})
    add_test(NAME ${test}_fpu_${word} COMMAND ${test} --gtest_filter=${filter})
    set_tests_properties(${test}_fpu_${word} PROPERTIES ENVIRONMENT QV_FPU=${word} RESOURCE_LOCK desktop)
  endforeach()
endfunction()
