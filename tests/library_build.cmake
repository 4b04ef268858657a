# The check of what the library file holds and needs beyond its exports, for the built
# and the installed library (check_library_build.py). Included where tests are built, and
# by the release preset, whose library is the optimised one.
# Debian's own python3: python3-pefile is installed for it.
find_program(GYRIX_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
set(library_check ${PROJECT_SOURCE_DIR}/tests/check_library_build.py)
set(library_install ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR} ${PROJECT_BINARY_DIR}/library_build/package
                    ${GYRIX_INSTALLED_LIBRARY})
if(WIN32)
  # The shipped DLL's limit (unsigned: a signature adds its certificates); no unwind
  # tables at all. The PDB beside the DLL is read with the LLVM tools of the compiler's
  # release.
  add_test(NAME library_build
           COMMAND ${GYRIX_SYSTEM_PYTHON} ${library_check} pe $<TARGET_FILE:gyrix_solver>
                   --llvm ${GYRIX_LLVM_BIN} --imports ${PROJECT_SOURCE_DIR}/tests/system_imports.txt
                   --max-size 16384 --max-unwind-tables 0 --install ${library_install})
else()
  # A sanitizer build refuses to install: its built library alone is checked.
  if(GYRIX_SANITIZERS)
    set(library_options --sanitized)
  else()
    set(library_options --install ${library_install})
  endif()
  add_test(NAME library_build
           COMMAND ${GYRIX_SYSTEM_PYTHON} ${library_check} elf $<TARGET_FILE:gyrix_solver>
                   ${library_options})
endif()
