# The binary contract, subs_solver/entry_points.def, read once: cmake/generate_contract.py
# checks it and writes what follows from it into ${GYRIX_CONTRACT_DIR} (the build tree's
# generated/ folder), and the lists that CMake needs into contract.cmake there, which
# this includes. It runs when CMake configures, and an edit of the table or of the
# generator configures again before the next build.
#   GYRIX_CONTRACT_DIR/contract/    the library's dispatchers, entry points without routines,
#                                   report texts and element routines' declarations
#   GYRIX_CONTRACT_DIR/standins/    the stand-in element routines
#   GYRIX_CONTRACT_DIR/harness/     the harness's table of entry points
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(GYRIX_CONTRACT_TABLE ${PROJECT_SOURCE_DIR}/subs_solver/entry_points.def)
set(GYRIX_CONTRACT_GENERATOR ${PROJECT_SOURCE_DIR}/cmake/generate_contract.py)
set(GYRIX_CONTRACT_DIR ${PROJECT_BINARY_DIR}/generated)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${GYRIX_CONTRACT_TABLE}
                                                               ${GYRIX_CONTRACT_GENERATOR})
execute_process(COMMAND ${Python3_EXECUTABLE} ${GYRIX_CONTRACT_GENERATOR} ${GYRIX_CONTRACT_TABLE}
                        ${GYRIX_CONTRACT_DIR}
                RESULT_VARIABLE status ERROR_VARIABLE fault)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${fault}")
endif()
include(${GYRIX_CONTRACT_DIR}/contract/contract.cmake)
