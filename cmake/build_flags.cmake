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
  # MinGW's own, writes the version report. Nothing of the library may run at load (the
  # DLL has no start-up to run it): a global constructor or exit-time destructor stops
  # the build. Its debug information is CodeView, for the PDB that Windows debuggers
  # read, without the compiler's command line (which names the build's folders). No
  # variable is auto-imported (the link says --disable-auto-import): the code reads an
  # import-table slot that it names itself (a dispatcher's route) at its address, not
  # through a pointer of its own (.refptr) kept for the pseudo-relocation.
  set(GYRIX_LIBRARY_COMPILE_FLAGS -fno-asynchronous-unwind-tables -fno-unwind-tables
                                  -D__USE_MINGW_ANSI_STDIO=0 -Werror=global-constructors
                                  -Werror=exit-time-destructors -fno-auto-import -gcodeview
                                  -gno-codeview-command-line)
  # The build's folders, as the debug information names them: the source tree as ".",
  # the build tree as "build" (the later map wins where both match). Not in the build
  # records, which would then name the folders themselves.
  set(GYRIX_LIBRARY_PATH_FLAGS -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
                               -ffile-prefix-map=${PROJECT_BINARY_DIR}=build
                               -fdebug-compilation-dir=.)
  # The link is the library's objects and msvcrt.dll, by lld: no start-up code at all (no
  # entry point: an empty --entry, or lld would name MinGW's DllMainCRTStartup; no TLS
  # directory, no initialiser tables; msvcrt.dll initialises itself), nothing from
  # KERNEL32.dll. libgcc stays for the compiler's helpers (stack probes, 64-bit
  # division). An imported variable would need a pseudo-relocation that nothing applies:
  # --disable-auto-import makes it a link error (so does thread_local, whose TLS support
  # is MinGW's start-up). No SEH handler (NO_SEH), base relocations kept (dynamic base),
  # data not executable (NX); Windows 4.0 asked for, as MinGW's headers and ld do.
  # /Brepro makes the time stamp a hash of the content; the PDB's name in the DLL is its
  # file name alone (/pdbaltpath). /release writes the header's checksum, as a signature
  # tool does: removing a signature then gives back the very bytes that were signed.
  # --strip-all leaves out the COFF symbol table and the DWARF sections (the compiler's
  # .debug_frame for gdb): the PDB keeps the debug information, and the debug directory
  # goes into .rdata instead of a section of its own. No stack protector: the only one
  # here, GCC's libssp, fills its guard in a constructor at load.
  set(GYRIX_LIBRARY_LINK_FLAGS
      -fuse-ld=lld -nostdlib -Wl,--entry= -Wl,--disable-auto-import -Wl,--no-seh
      -Wl,--dynamicbase -Wl,--nxcompat -Wl,--major-os-version=4 -Wl,--minor-os-version=0
      -Wl,--major-subsystem-version=4 -Wl,--minor-subsystem-version=0
      -Wl,--strip-all -Wl,--Xlink=-merge:.buildid=.rdata -Wl,--Xlink=-Brepro -Wl,--Xlink=-release
      -Wl,--Xlink=-pdbaltpath:%_PDB%
      -Wl,--Xlink=-pdbsourcepath:/gyrix_solver -Wno-unused-command-line-argument)
  set(library_link_libraries msvcrt gcc)
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
  set(GYRIX_LIBRARY_PATH_FLAGS "")
  if(GYRIX_COVERAGE)
    # The library alone counts its lines and branches: the report is about its own code.
    # The tests call it from several threads at once, whose counts must all add up.
    list(APPEND GYRIX_LIBRARY_COMPILE_FLAGS --coverage -fprofile-update=atomic)
    list(APPEND GYRIX_LIBRARY_LINK_FLAGS --coverage)
  endif()
endif()

add_library(gyrix_library_flags INTERFACE)
target_compile_options(gyrix_library_flags INTERFACE
                       "$<$<COMPILE_LANGUAGE:C,CXX>:${GYRIX_LIBRARY_COMPILE_FLAGS}>"
                       "$<$<COMPILE_LANGUAGE:C,CXX>:${GYRIX_LIBRARY_PATH_FLAGS}>"
                       "$<$<COMPILE_LANGUAGE:CXX>:${GYRIX_LIBRARY_CXX_FLAGS}>")
target_link_options(gyrix_library_flags INTERFACE ${GYRIX_LIBRARY_LINK_FLAGS})
target_link_libraries(gyrix_library_flags INTERFACE ${library_link_libraries})
