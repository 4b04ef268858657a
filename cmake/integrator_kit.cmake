# The integrator's kit: what a program needs to link against the library at build time.
# The C/C++ header and the Fortran interface module are their templates in
# subs_solver/kit/, which keep the declarations of the entry points that the contract
# gives no types for (the filter, the start-up, the version report), with the user
# subroutines' declarations that cmake/generate_contract.py writes from the contract
# table (GYRIX_KIT_C_DECLARATIONS, GYRIX_KIT_FORTRAN_INTERFACES; it checks that the
# templates declare the others).
#
# gyrix_integrator_kit(TARGET) writes include/gyrix_solver.h and include/gyrix_solver.f90
# into the build tree at configure time; makes every source of TARGET see the header
# first, so that a declaration that differs from the library's own definition (its
# types, its calling convention) stops the build; and installs both into include/, on
# Windows with the import libraries in lib/: TARGET's (MinGW) and, where lld-link is
# found, an MSVC-style one (gyrix_solver.lib): the install component `kit`.

function(gyrix_integrator_kit target)
  set(templates ${PROJECT_SOURCE_DIR}/subs_solver/kit)
  set(include_dir ${PROJECT_BINARY_DIR}/include)
  configure_file(${templates}/gyrix_solver.h.in ${include_dir}/gyrix_solver.h @ONLY)
  # stdcall exists on 32-bit x86 alone; elsewhere gfortran warns at each call.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${templates}/gyrix_solver.f90.in)
  file(READ ${templates}/gyrix_solver.f90.in module)
  if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    string(REGEX REPLACE "[ ]*!GCC\\$ ATTRIBUTES STDCALL :: [a-z0-9_]+\n" "" module "${module}")
    string(REGEX REPLACE "[ ]*!GCC\\$ ATTRIBUTES STDCALL :: [a-z0-9_]+\n" ""
           GYRIX_KIT_FORTRAN_INTERFACES "${GYRIX_KIT_FORTRAN_INTERFACES}")
  endif()
  file(CONFIGURE OUTPUT ${include_dir}/gyrix_solver.f90 CONTENT "${module}" @ONLY)
  # What the package holds of the kit, for the check of the release package.
  set_property(GLOBAL PROPERTY GYRIX_KIT_FILES ${CMAKE_INSTALL_INCLUDEDIR}/gyrix_solver.h
                                               ${CMAKE_INSTALL_INCLUDEDIR}/gyrix_solver.f90)

  # The library's own definitions are the check of the header: each follows its
  # declaration there, and C++ refuses an extern "C" routine declared otherwise.
  target_compile_options(${target} PRIVATE
                         "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${include_dir}/gyrix_solver.h>")
  set_property(SOURCE ${include_dir}/gyrix_solver.h PROPERTY GENERATED ON)
  set_property(TARGET ${target} APPEND PROPERTY OBJECT_DEPENDS ${include_dir}/gyrix_solver.h)

  install(FILES ${include_dir}/gyrix_solver.h ${include_dir}/gyrix_solver.f90
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT kit)

  if(WIN32)
    set_property(GLOBAL APPEND PROPERTY GYRIX_KIT_FILES
                 ${CMAKE_INSTALL_LIBDIR}/$<TARGET_LINKER_FILE_NAME:${target}>)
    # For MSVC's linker and lld-link: a short-import library whose symbols and import
    # names are the decorated exports, from a module definition that spells them as
    # MSVC's do (_NAME@N). Given only a module definition, lld-link writes just that.
    find_program(GYRIX_LLD_LINK NAMES lld-link-14 lld-link)
    if(GYRIX_LLD_LINK)
      gyrix_exported_names(exported ${GYRIX_EXPORT_ENTRIES})
      list(JOIN exported "\n  " exported)
      set(msvc_def "LIBRARY \"${target}.dll\"\nEXPORTS\n  ${exported}\n")
      set(msvc_def_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_msvc.def)
      file(CONFIGURE OUTPUT ${msvc_def_file} CONTENT "${msvc_def}" @ONLY)
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
