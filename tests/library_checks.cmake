# The checks of the built library file (check_library_build.py), each a CTest test named
# after what it checks:
#   binary_contract  its exports and its imports of the host's routines, against the
#                    contract table (where the tests are built)
#   library_build    what it holds and needs beyond that, built and installed (where the
#                    tests are built, and in the release preset: the optimised library)
#   dispatcher_code  the dispatchers' machine code (the Windows DLL, with the benchmarks)
# Debian's own python3: python3-pefile is installed for it.
find_program(GYRIX_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
set(library_check ${GYRIX_SYSTEM_PYTHON} ${PROJECT_SOURCE_DIR}/tests/check_library_build.py)
set(library_install ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR} ${PROJECT_BINARY_DIR}/library_build/package
                    ${GYRIX_INSTALLED_LIBRARY})
if(WIN32)
  set(library_format pe)
  # The PDB beside the DLL is read with the LLVM tools of the compiler's release. The
  # shipped DLL's limit (unsigned: a signature adds its certificates); no unwind tables.
  set(library_options --llvm ${GYRIX_LLVM_BIN}
                      --imports ${PROJECT_SOURCE_DIR}/tests/system_imports.txt
                      --max-size 16384 --max-unwind-tables 0 --install ${library_install})
  set(contract_options "")
else()
  set(library_format elf)
  # A sanitizer build refuses to install: its built library alone is checked.
  if(GYRIX_SANITIZERS)
    set(library_options --sanitized)
  else()
    set(library_options --install ${library_install})
  endif()
  # The stand-in elemlib's routines tell the library's imports of them apart.
  set(contract_options --elemlib $<TARGET_FILE:elemlib>)
endif()

if(GYRIX_TESTS)
  add_test(NAME binary_contract
           COMMAND ${library_check} contract ${library_format} $<TARGET_FILE:gyrix_solver>
                   ${contract_options})
endif()
add_test(NAME library_build
         COMMAND ${library_check} build ${library_format} $<TARGET_FILE:gyrix_solver>
                 ${library_options})
if(WIN32 AND GYRIX_BENCH)
  # No Wine needed: the dispatchers (those of the statement) are found through the PDB and
  # read with MinGW's objdump.
  add_test(NAME dispatcher_code
           COMMAND ${library_check} dispatchers pe $<TARGET_FILE:gyrix_solver>
                   --objdump ${CMAKE_OBJDUMP} --llvm ${GYRIX_LLVM_BIN})
endif()
