# The binary contract, entry_points.table beside this file, read once:
# generate_contract.py checks it and writes what follows from it into
# ${GYRIX_GENERATED_DIR} (the build tree's generated/ folder, which belongs to the
# generator). It runs when CMake configures, and an edit of the table, the generator or
# a kit template configures again before the next build.
#   GYRIX_GENERATED_DIR/contract/    the library's dispatchers, entry points without routines,
#                                    report texts and element routines' declarations
#   GYRIX_GENERATED_DIR/exports/     each library's export files, finished (cmake/exports.cmake
#                                    names them to the link)
#   GYRIX_GENERATED_DIR/standins/    the stand-in element routines
#   GYRIX_GENERATED_DIR/harness/     the harness's table of the contract's routines, from
#                                    which the tests take what they expect
#   GYRIX_GENERATED_DIR/kit/         the integrator's header and Fortran module
#   GYRIX_GENERATED_DIR/tests.cmake  the figures of the table that CMake's tests need
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(GYRIX_CONTRACT_SOURCE ${CMAKE_CURRENT_LIST_DIR})
set(GYRIX_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
if(WIN32)
  set(contract_target windows-32)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(contract_target linux-32)
else()
  set(contract_target linux-64)
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${GYRIX_CONTRACT_SOURCE}/entry_points.table
             ${GYRIX_CONTRACT_SOURCE}/generate_contract.py
             ${GYRIX_CONTRACT_SOURCE}/gyrix_solver.h.in ${GYRIX_CONTRACT_SOURCE}/gyrix_solver.f90.in)
execute_process(COMMAND ${Python3_EXECUTABLE} ${GYRIX_CONTRACT_SOURCE}/generate_contract.py
                        --target ${contract_target} --release ${GYRIX_RELEASE_VERSION}
                        ${GYRIX_CONTRACT_SOURCE}/entry_points.table ${GYRIX_GENERATED_DIR}
                RESULT_VARIABLE status ERROR_VARIABLE fault)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${fault}")
endif()
include(${GYRIX_GENERATED_DIR}/tests.cmake)

# gyrix_integrator_kit(TARGET): the integrator's kit, the header and the Fortran module
# that the generator wrote, installed into include/, on Windows with the import libraries
# in lib/: TARGET's (MinGW) and, where lld-link is found, an MSVC-style one
# (gyrix_solver.lib): the install component `kit`. Every source of TARGET sees the header
# first, so that a declaration that differs from the library's own definition (its
# types, its calling convention) stops the build.
function(gyrix_integrator_kit target)
  set(kit_dir ${GYRIX_GENERATED_DIR}/kit)
  # What the package holds of the kit, for the check of the release package.
  set_property(GLOBAL PROPERTY GYRIX_KIT_FILES ${CMAKE_INSTALL_INCLUDEDIR}/gyrix_solver.h
                                               ${CMAKE_INSTALL_INCLUDEDIR}/gyrix_solver.f90)
  target_compile_options(${target} PRIVATE
                         "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${kit_dir}/gyrix_solver.h>")
  set_property(TARGET ${target} APPEND PROPERTY OBJECT_DEPENDS ${kit_dir}/gyrix_solver.h)
  install(FILES ${kit_dir}/gyrix_solver.h ${kit_dir}/gyrix_solver.f90
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT kit)

  if(WIN32)
    set_property(GLOBAL APPEND PROPERTY GYRIX_KIT_FILES
                 ${CMAKE_INSTALL_LIBDIR}/$<TARGET_LINKER_FILE_NAME:${target}>)
    # For MSVC's linker and lld-link: a short-import library whose symbols and import
    # names are the decorated exports, from a module definition that spells them as
    # MSVC's do (_NAME@N). Given only a module definition, lld-link writes just that.
    find_program(GYRIX_LLD_LINK NAMES lld-link-14 lld-link)
    if(GYRIX_LLD_LINK)
      set(msvc_def_file ${GYRIX_GENERATED_DIR}/exports/${target}_msvc.def)
      set(msvc_implib ${CMAKE_ARCHIVE_OUTPUT_DIRECTORY}/${target}.lib)
      add_custom_command(OUTPUT ${msvc_implib}
                         COMMAND ${GYRIX_LLD_LINK} /machine:x86 /def:${msvc_def_file}
                                 /out:${target}.dll /implib:${msvc_implib}
                         DEPENDS ${msvc_def_file} VERBATIM)
      add_custom_target(${target}_msvc_implib ALL DEPENDS ${msvc_implib})
      install(FILES ${msvc_implib} DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT kit)
      set_property(GLOBAL APPEND PROPERTY GYRIX_KIT_FILES ${CMAKE_INSTALL_LIBDIR}/${target}.lib)
    else()
      message(STATUS "lld-link not found: no MSVC-style import library")
    endif()
  endif()
endfunction()

# The generator's checks of the table, and its usage.
if(GYRIX_TESTS)
  enable_testing()  # before add_test, which does nothing without it
  add_test(NAME contract_generator
           COMMAND ${Python3_EXECUTABLE} ${GYRIX_CONTRACT_SOURCE}/generate_contract_test.py)
endif()
