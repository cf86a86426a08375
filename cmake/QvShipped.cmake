# qv_shipped_dll(TARGET): a DLL that users install. On the 32-bit build it
# must load on Windows 95 (with msvcrt.dll) and 98: the win32-thread runtime,
# no TLS directory, the old system versions in its header, and a stripped copy in bin/dist
# that `qv dist` packs and the shipped-DLL test checks.
function(qv_shipped_dll target)
  if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    return()
  endif()
  set_target_properties(${target} PROPERTIES RULE_LAUNCH_LINK ${CMAKE_SOURCE_DIR}/cmake/with-win32-threads)
  # The runtime pieces built for the Pentium (runtime/) come first, so that
  # the linker takes none of the archives' members they replace.
  target_link_libraries(${target} PRIVATE qv_pentium_runtime)
  # The runtime's import slot of CreateSemaphoreW is ours (runtime/unnamed_semaphores.cpp):
  # asked for from the start, it comes from the first library that has it.
  target_link_options(${target} PRIVATE -Wl,--undefined=__imp__CreateSemaphoreW@16)
  target_link_options(${target} PRIVATE -Wl,--disable-runtime-pseudo-reloc
    -Wl,--major-os-version,4,--minor-os-version,0,--major-subsystem-version,4,--minor-subsystem-version,0)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin/dist
    COMMAND i686-w64-mingw32-strip -o ${CMAKE_BINARY_DIR}/bin/dist/$<TARGET_FILE_NAME:${target}> $<TARGET_FILE:${target}>)
endfunction()

# qv_win95_api(): the sources of this folder and the folders below compile
# against the API of Windows 95 and comctl32 4.00, so that a newer function,
# message or flag does not compile: WINVER 0x0400 for the system headers'
# own guards, and ui/common/win95_api.h for the comctl32 messages, flags and
# structure sizes that mingw-w64's headers do not guard (its lowest
# _WIN32_IE guard is 0x0600). Call it before the folder's targets.
function(qv_win95_api)
  get_directory_property(defs COMPILE_DEFINITIONS)
  list(REMOVE_ITEM defs ${QV_NEWER_API})
  list(APPEND defs _WIN32_WINNT=0x0400 WINVER=0x0400 _WIN32_IE=0x0200)
  set_directory_properties(PROPERTIES COMPILE_DEFINITIONS "${defs}")
  add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${CMAKE_SOURCE_DIR}/ui/common/win95_api.h>")
endfunction()
