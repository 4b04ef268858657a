# Flags shared by every target of the project: warnings, and the sanitizers of the
# native test builds (GYRIX_SANITIZERS, the list for -fsanitize=). Targets take them by
# linking gyrix_build_flags. The lists are kept as variables too, because the build
# records name them.
set(GYRIX_COMPILE_FLAGS -Wall -Wextra -Wpedantic -Wshadow)
if(GYRIX_WERROR)
  list(APPEND GYRIX_COMPILE_FLAGS -Werror)
endif()
set(GYRIX_LINK_FLAGS "")
if(GYRIX_SANITIZERS)
  set(GYRIX_SANITIZER_FLAGS -fsanitize=${GYRIX_SANITIZERS} -fno-sanitize-recover=all
                            -fno-omit-frame-pointer)
  list(APPEND GYRIX_COMPILE_FLAGS ${GYRIX_SANITIZER_FLAGS})
  list(APPEND GYRIX_LINK_FLAGS ${GYRIX_SANITIZER_FLAGS})
endif()

add_library(gyrix_build_flags INTERFACE)
# Only the compilers take them: the resource compiler knows none of these options.
target_compile_options(gyrix_build_flags INTERFACE
                       "$<$<COMPILE_LANGUAGE:C,CXX>:${GYRIX_COMPILE_FLAGS}>")
target_link_options(gyrix_build_flags INTERFACE ${GYRIX_LINK_FLAGS})

# The library's own compile and link settings (gyrix_solver links gyrix_library_flags;
# the test programs, the harness and the stand-ins keep their full run-times). The
# library throws nothing, asks no type of its objects and allocates nothing: it is
# compiled without exceptions and RTTI and linked with no C++ run-time library. The
# build records name these lists too (cmake/build_identity.cmake).
set(GYRIX_LIBRARY_CXX_FLAGS -fno-exceptions -fno-rtti)
if(WIN32)
  # The library throws nothing, and Windows unwinds 32-bit frames by the handler chain on
  # the stack, not by tables: it needs no DWARF unwind tables. msvcrt.dll's printf, not
  # MinGW's own, writes the version report.
  set(GYRIX_LIBRARY_COMPILE_FLAGS -fno-asynchronous-unwind-tables -fno-unwind-tables
                                  -D__USE_MINGW_ANSI_STDIO=0)
  # The link is MinGW's DLL start-up (dllcrt2.o, first) and the C run-time: -nostdlib
  # keeps out GCC's start files, whose constructor looks for libgcc_s_dw2-1.dll at load,
  # the posix threads (a TLS callback and an exception handler in the host's process)
  # and libstdc++. The DLL has no SEH handler (NO_SEH) and keeps its base relocations
  # (dynamic base) with data not executable (NX). No stack protector: the only one here,
  # GCC's libssp, fills its guard in a constructor at load, from CryptGenRandom in
  # advapi32.dll. (-nostdlib leaves the toolchain's -pthread for the programs unused:
  # not worth a warning.)
  set(GYRIX_LIBRARY_LINK_FLAGS -nostdlib ${GYRIX_MINGW_SYSROOT}/lib/dllcrt2.o -Wl,--no-seh
                               -Wl,--dynamicbase -Wl,--nxcompat -Wno-unused-command-line-argument)
  set(library_link_libraries mingw32 mingwex msvcrt kernel32 gcc)
else()
  # The hardening that a Debian package gets: stack protector, read-only relocations
  # bound at load, no executable stack. Where no sanitizer's run-time is left to be
  # found at load, -z defs proves that the link left nothing unresolved: nothing for a
  # C++ run-time or the maths library to supply.
  set(GYRIX_LIBRARY_COMPILE_FLAGS -fstack-protector-strong)
  set(GYRIX_LIBRARY_LINK_FLAGS -Wl,-z,relro -Wl,-z,now -Wl,-z,noexecstack)
  if(NOT GYRIX_SANITIZERS)
    list(APPEND GYRIX_LIBRARY_LINK_FLAGS -Wl,-z,defs)
  endif()
  set(library_link_libraries "")
endif()

add_library(gyrix_library_flags INTERFACE)
target_compile_options(gyrix_library_flags INTERFACE
                       "$<$<COMPILE_LANGUAGE:C,CXX>:${GYRIX_LIBRARY_COMPILE_FLAGS}>"
                       "$<$<COMPILE_LANGUAGE:CXX>:${GYRIX_LIBRARY_CXX_FLAGS}>")
target_link_options(gyrix_library_flags INTERFACE ${GYRIX_LIBRARY_LINK_FLAGS})
target_link_libraries(gyrix_library_flags INTERFACE ${library_link_libraries})
