# Installs a build tree as the release package does and checks the shipped library: no
# debug sections, its debug information beside it (the PDB, or NAME.debug), each build
# record exactly once, and the integrator's kit (header, Fortran module, import libraries) in place.
#   cmake -DBUILD=<build tree> -DPREFIX=<scratch folder> -DOBJDUMP=<objdump>
#         -DLIBRARY=<library, relative to PREFIX> -DKIT_FILES=<files, relative to PREFIX>
#         -P check_release_package.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
set(library ${PREFIX}/${LIBRARY})

execute_process(COMMAND ${OBJDUMP} -h ${library} OUTPUT_VARIABLE sections
                COMMAND_ERROR_IS_FATAL ANY)
if(sections MATCHES "[ \t](\\.z?debug_[a-z_]+)")
  message(FATAL_ERROR "${library} still carries debug sections (${CMAKE_MATCH_1})")
endif()
# A DLL's debug information is its PDB (the name its CodeView record gives); a shared
# object's, NAME.debug.
if(library MATCHES "\\.dll$")
  string(REGEX REPLACE "\\.dll$" ".pdb" debug_file ${library})
else()
  set(debug_file ${library}.debug)
endif()
if(NOT EXISTS ${debug_file})
  message(FATAL_ERROR "no debug information beside ${library} (${debug_file})")
endif()

file(STRINGS ${library} records REGEX "@\\(#\\)")
list(LENGTH records count)
if(NOT count EQUAL 8)
  message(FATAL_ERROR "${library} holds ${count} build records, not 8:\n${records}")
endif()
foreach(file IN LISTS KIT_FILES)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "the package lacks ${file}")
  endif()
endforeach()
message(STATUS "${library}: no debug sections, 8 build records; ${KIT_FILES}")
