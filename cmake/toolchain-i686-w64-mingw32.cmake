# Cross build of the 32-bit Windows DLL: clang compiles for i686-w64-mingw32 against
# Debian's MinGW-w64 (posix thread model) headers and libraries; the programs and
# stand-ins link with MinGW's ld, the library with lld (cmake/build_flags.cmake), and the
# programs run under Wine. clang, not MinGW's GCC: a dispatcher hands its stack words on
# to the element routine where they lie, where GCC loads and stores each again. clang-19,
# not 14: only it keeps its command line out of the CodeView data
# (-gno-codeview-command-line), so that the PDB is the same from any folder.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(GYRIX_MINGW_PREFIX i686-w64-mingw32)
# The win32 preset names the compilers too, so that a build tree configured with
# others starts afresh.
set(CMAKE_C_COMPILER clang-19)
set(CMAKE_CXX_COMPILER clang++-19)
set(CMAKE_C_COMPILER_TARGET ${GYRIX_MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${GYRIX_MINGW_PREFIX})
set(CMAKE_RC_COMPILER ${GYRIX_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${GYRIX_MINGW_PREFIX}-dlltool)
set(CMAKE_LINKER ${GYRIX_MINGW_PREFIX}-ld)
set(CMAKE_OBJDUMP ${GYRIX_MINGW_PREFIX}-objdump)
set(CMAKE_OBJCOPY ${GYRIX_MINGW_PREFIX}-objcopy)
set(CMAKE_NM ${GYRIX_MINGW_PREFIX}-nm)
set(CMAKE_STRIP ${GYRIX_MINGW_PREFIX}-strip)
set(CMAKE_AR ${GYRIX_MINGW_PREFIX}-ar)
set(CMAKE_RANLIB ${GYRIX_MINGW_PREFIX}-ranlib)
# The LLVM tools of the same release as the compiler: the library's linker (lld, through
# the driver), the MSVC-style import library, and the readers of the PDB (the library
# checker takes their folder).
set(GYRIX_LLVM_BIN /usr/lib/llvm-19/bin)
set(GYRIX_LLD_LINK ${GYRIX_LLVM_BIN}/lld-link CACHE FILEPATH "lld-link of the compiler's release")

# MinGW-w64's headers and libraries only (--sysroot keeps the build machine's own out),
# and the C++ library, start files and run-times of MinGW's GCC (posix model), which
# clang does not find by itself: that GCC's directory is named "<version>-posix".
set(GYRIX_MINGW_SYSROOT /usr/${GYRIX_MINGW_PREFIX})
execute_process(COMMAND ${GYRIX_MINGW_PREFIX}-g++-posix -print-libgcc-file-name
                OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(GYRIX_MINGW_GCC_DIR ${libgcc} DIRECTORY)
set(CMAKE_C_FLAGS_INIT "--sysroot=${GYRIX_MINGW_SYSROOT}")
set(CMAKE_CXX_FLAGS_INIT
    "--sysroot=${GYRIX_MINGW_SYSROOT} -isystem ${GYRIX_MINGW_GCC_DIR}/include/c++ -isystem ${GYRIX_MINGW_GCC_DIR}/include/c++/${GYRIX_MINGW_PREFIX}")

set(CMAKE_FIND_ROOT_PATH /usr/${GYRIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The C and C++ run-times go inside every program and stand-in, which then import only
# Windows system DLLs. GCC's own start files (-B) register the unwind tables that its
# run-time's exceptions need; -pthread links the posix threads last. The library links
# none of this: it takes the C run-time alone and no start-up at all
# (gyrix_library_flags, cmake/build_flags.cmake).
set(GYRIX_MINGW_LINK_FLAGS
    "--sysroot=${GYRIX_MINGW_SYSROOT} -static -pthread -B${GYRIX_MINGW_GCC_DIR}/ -L${GYRIX_MINGW_GCC_DIR}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${GYRIX_MINGW_LINK_FLAGS}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${GYRIX_MINGW_LINK_FLAGS}")

# Tests run under Wine through a wrapper that keeps one wineserver per build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
