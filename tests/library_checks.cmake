# The checks of the built library file (check_library_build.py), each a CTest test named
# after what it checks:
#   binary_contract  its exports and its imports of the host's routines, against the
#                    contract table (where the tests are built)
#   library_build    what it holds and needs beyond that, built and installed (where the
#                    tests are built, and in the release preset: the optimised library)
#   routing_proof    prove_routing.py: the dispatchers' machine code against the contract
#                    table, for every PAR(1), each path's witness played through gyrix-host;
#                    on Windows also routing_proof_installed, the DLL that ships (where the
#                    code is plain: no sanitizer, no coverage counters)
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

# The routing proof holds each route's path to its form's limit in bench/count_limits.txt:
# the DLL's column, or the processor's, as bench_count_limits does.
if(WIN32)
  set(routing_platform win32)
else()
  set(routing_platform ${CMAKE_SYSTEM_PROCESSOR})
endif()
set(GYRIX_ROUTING_LIMITS --limits ${PROJECT_SOURCE_DIR}/bench/count_limits.txt
                         --platform ${routing_platform})
set(GYRIX_ROUTING_PROOF ${GYRIX_SYSTEM_PYTHON} ${PROJECT_SOURCE_DIR}/tests/prove_routing.py
                        ${GYRIX_ROUTING_LIMITS})
if(WIN32)
  list(APPEND GYRIX_ROUTING_PROOF --llvm ${GYRIX_LLVM_BIN})
endif()
if(NOT GYRIX_SANITIZERS AND NOT GYRIX_COVERAGE AND TARGET gyrix-host)
  set(contract_table ${PROJECT_SOURCE_DIR}/subs_solver/contract/entry_points.table)
  add_test(NAME routing_proof
           COMMAND ${GYRIX_ROUTING_PROOF} --table ${contract_table} $<TARGET_FILE:gyrix_solver>
                   --replay $<TARGET_FILE:gyrix-host> --emulator "${CMAKE_CROSSCOMPILING_EMULATOR}")
  if(WIN32)
    gyrix_wine_tests(routing_proof)
    # The file that ships, with its PDB from the symbol store: the proof alone (the replay played the same bytes).
    set(shipped ${PROJECT_BINARY_DIR}/routing_proof/package)
    add_test(NAME routing_proof_installed
             COMMAND sh -c [[rm -rf "$0" && for c in runtime symbols; do "$1" --install "$2" --prefix "$0" --component $c >/dev/null || exit 1; done && shift 2 && exec "$@"]]
                     ${shipped} ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR} ${GYRIX_ROUTING_PROOF}
                     --table ${contract_table} ${shipped}/${GYRIX_INSTALLED_LIBRARY}
                     --symbols ${shipped})
  endif()
endif()
