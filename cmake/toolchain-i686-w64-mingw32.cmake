# Cross build of the 32-bit Windows DLL with Debian's MinGW-w64 (posix thread model),
# run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(GYRIX_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${GYRIX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GYRIX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${GYRIX_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${GYRIX_MINGW_PREFIX}-dlltool)
set(CMAKE_OBJDUMP ${GYRIX_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${GYRIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The C and C++ run-times go inside every binary: beside the host's libraries the DLL
# imports only Windows system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Tests run under Wine through a wrapper that keeps one wineserver per build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
