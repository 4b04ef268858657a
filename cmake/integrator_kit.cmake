# The integrator's kit: what a program needs to link against the library at build time.
# The C/C++ header and the Fortran interface module follow from the binary contract
# (the GYRIX_* variables of gyrix_read_entry_points) and their templates in
# subs_solver/kit/, which keep the declarations of the entry points that the contract
# gives no types for (the filter, the start-up, the version report).
#
# gyrix_integrator_kit(TARGET) writes include/gyrix_solver.h and include/gyrix_solver.f90
# into the build tree at configure time; makes every source of TARGET see the header
# first, so that a declaration that differs from the library's own definition (its
# types, its calling convention) stops the build; and installs both into include/, on
# Windows with the import libraries in lib/: TARGET's (MinGW) and, where lld-link is
# found, an MSVC-style one (gyrix_solver.lib): the install component `kit`.

# The parameter list of an entry point of WORDS argument words, PAR at PAR_WORD (0 for
# none), as "TYPE NAME" items, NAME being w<position> or par.
function(_gyrix_kit_words words par_word type par_type out_var)
  set(items "")
  foreach(position RANGE 1 ${words})
    if(position EQUAL par_word)
      list(APPEND items "${par_type}par")
    else()
      list(APPEND items "${type}w${position}")
    endif()
  endforeach()
  set(${out_var} "${items}" PARENT_SCOPE)
endfunction()

# One line of comment on an entry point, from the contract.
function(_gyrix_kit_summary name out_var)
  if(name IN_LIST GYRIX_DISPATCHERS)
    set(routes "")
    foreach(route IN LISTS GYRIX_ENTRY_${name}_ROUTES)
      string(REPLACE ":" " " route ${route})
      list(APPEND routes ${route})
    endforeach()
    list(JOIN routes ", " routes)
    set(text "routes by PAR(1) to ${routes}; another number: report ${GYRIX_ENTRY_${name}_REPORT}")
  else()
    set(text "no routines: every call ends the run with report ${GYRIX_ENTRY_${name}_REPORT}")
  endif()
  set(${out_var} "${name}: ${text}" PARENT_SCOPE)
endfunction()

function(_gyrix_kit_declarations c_var fortran_var)
  set(c "")
  set(fortran "")
  foreach(name IN LISTS GYRIX_DISPATCHERS GYRIX_UNSUPPLIED)
    set(words ${GYRIX_ENTRY_${name}_WORDS})
    set(par_word 0)
    if(DEFINED GYRIX_ENTRY_${name}_PAR_WORD)
      set(par_word ${GYRIX_ENTRY_${name}_PAR_WORD})
    endif()
    _gyrix_kit_summary(${name} summary)
    string(TOLOWER ${name} lower)

    # C: six parameters a line.
    _gyrix_kit_words(${words} ${par_word} "void* " "void* " parameters)
    set(parameter_text "")
    set(count 0)
    foreach(parameter IN LISTS parameters)
      if(count EQUAL 0)
      elseif(count EQUAL 6)
        string(APPEND parameter_text ",\n    ")
        set(count 0)
      else()
        string(APPEND parameter_text ", ")
      endif()
      string(APPEND parameter_text "${parameter}")
      math(EXPR count "${count} + 1")
    endforeach()
    string(APPEND c "/* ${summary} */\nvoid GYRIX_SOLVER_STDCALL ${name}(${parameter_text});\n")

    # Fortran: the words by address, PAR an array of doubles.
    _gyrix_kit_words(${words} ${par_word} "" "" arguments)
    set(host_words ${arguments})
    list(REMOVE_ITEM host_words par)
    list(JOIN arguments ", " argument_text)
    list(JOIN host_words ", " host_word_text)
    string(APPEND fortran "    ! ${summary}\n"
                          "    subroutine ${lower}(${argument_text}) bind(c, name='${name}')\n")
    if(par_word GREATER 0)
      string(APPEND fortran "      import :: c_double\n")
    endif()
    string(APPEND fortran "      !GCC$ ATTRIBUTES STDCALL :: ${lower}\n")
    if(host_words)
      string(APPEND fortran "      !GCC$ ATTRIBUTES NO_ARG_CHECK :: ${host_word_text}\n"
                            "      type(*), dimension(*) :: ${host_word_text}\n")
    endif()
    if(par_word GREATER 0)
      string(APPEND fortran "      real(c_double), dimension(*) :: par\n")
    endif()
    string(APPEND fortran "    end subroutine ${lower}\n\n")
  endforeach()
  set(${c_var} "${c}" PARENT_SCOPE)
  set(${fortran_var} "${fortran}" PARENT_SCOPE)
endfunction()

function(gyrix_integrator_kit target)
  set(templates ${PROJECT_SOURCE_DIR}/subs_solver/kit)
  set(include_dir ${PROJECT_BINARY_DIR}/include)
  # The templates must declare each entry point whose types the contract does not give.
  foreach(template gyrix_solver.h.in gyrix_solver.f90.in)
    file(READ ${templates}/${template} text)
    foreach(name IN LISTS GYRIX_STDCALL_ROUTINES GYRIX_PLAIN_ROUTINES)
      string(TOLOWER ${name} lower)
      if(template MATCHES "\\.h\\.in$")
        set(declared "${name}(")
      else()
        set(declared "name='${name}'")
      endif()
      string(FIND "${text}" "${declared}" found)
      if(found EQUAL -1)
        message(FATAL_ERROR "${templates}/${template} does not declare ${name}, an entry point "
                            "of the contract: add its declaration there")
      endif()
    endforeach()
  endforeach()

  _gyrix_kit_declarations(GYRIX_KIT_C_DECLARATIONS GYRIX_KIT_FORTRAN_INTERFACES)
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
