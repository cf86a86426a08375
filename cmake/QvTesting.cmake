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
# foreground window and focus any of them may take, so they run one at a time.
function(qv_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  if(WIN32)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()
