# Installs a build tree one component at a time, as the release package ships it, and
# checks each: `runtime` holds the library alone, with each build record once (that it
# carries no debug sections, check_library_build.py checks); `symbols` its debug
# information (a symbol store of a DLL's PDB and the DLL, the NAME.debug of a shared object); `kit` the
# integrator's kit (header, Fortran module, import libraries); `harness` gyrix-host and
# the stand-ins. Then cpack must make one ZIP per component, the runtime's holding the
# library alone.
#   cmake -DBUILD=<build tree> -DPREFIX=<scratch folder>
#         -DLIBRARY=<library, relative to the prefix> -DKIT_FILES=<files, likewise>
#         -DHARNESS=<gyrix-host, likewise> -P check_release_package.cmake
cmake_minimum_required(VERSION 3.25)
set(components runtime kit symbols harness)
file(REMOVE_RECURSE ${PREFIX})
foreach(component IN LISTS components)
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}/${component}
                          --component ${component}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(GLOB_RECURSE files_${component} RELATIVE ${PREFIX}/${component} ${PREFIX}/${component}/*)
endforeach()

function(expect_files component)
  foreach(file IN LISTS ARGN)
    if(NOT file IN_LIST files_${component})
      message(FATAL_ERROR "the component ${component} lacks ${file}; it holds: ${files_${component}}")
    endif()
  endforeach()
endfunction()

if(NOT files_runtime STREQUAL LIBRARY)
  message(FATAL_ERROR "the component runtime must hold ${LIBRARY} alone; it holds: ${files_runtime}")
endif()
# A DLL's debug information is its PDB (the name its CodeView record gives), in a symbol
# store with the DLL (whose keys check_library_build.py reads back); a shared object's,
# NAME.debug.
if(LIBRARY MATCHES "\\.dll$")
  get_filename_component(dll ${LIBRARY} NAME)
  string(REGEX REPLACE "\\.dll$" ".pdb" pdb ${dll})
  set(debug_file "${pdb}/<GUID><age>/${pdb}, ${dll}/<TimeDateStamp><SizeOfImage>/${dll}")
  if(NOT files_symbols MATCHES "^${pdb}/[0-9A-Fa-f]+/${pdb};${dll}/[0-9A-Fa-f]+/${dll}$"
     AND NOT files_symbols MATCHES "^${dll}/[0-9A-Fa-f]+/${dll};${pdb}/[0-9A-Fa-f]+/${pdb}$")
    message(FATAL_ERROR "the component symbols must be a symbol store of ${debug_file}; "
                        "it holds: ${files_symbols}")
  endif()
else()
  set(debug_file ${LIBRARY}.debug)
  expect_files(symbols ${debug_file})
endif()
expect_files(kit ${KIT_FILES})
expect_files(harness ${HARNESS})
foreach(component IN ITEMS kit symbols harness)
  if(LIBRARY IN_LIST files_${component})
    message(FATAL_ERROR "the component ${component} holds the library too")
  endif()
endforeach()

set(library ${PREFIX}/runtime/${LIBRARY})
file(STRINGS ${library} records REGEX "@\\(#\\)")
list(LENGTH records count)
if(NOT count EQUAL 8)
  message(FATAL_ERROR "${library} holds ${count} build records, not 8:\n${records}")
endif()

# The archives: one per component, named after it.
execute_process(COMMAND cpack --config ${BUILD}/CPackConfig.cmake -B ${PREFIX}/cpack
                OUTPUT_VARIABLE cpack_output ERROR_VARIABLE cpack_output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${cpack_output}")
endif()
file(GLOB archives RELATIVE ${PREFIX}/cpack ${PREFIX}/cpack/*.zip)
list(LENGTH archives count)
list(LENGTH components expected)
if(NOT count EQUAL expected)
  message(FATAL_ERROR "cpack made ${count} archives, not one per component: ${archives}")
endif()
foreach(component IN LISTS components)
  if(NOT archives MATCHES "-${component}\\.zip(;|$)")
    message(FATAL_ERROR "no archive of the component ${component} among: ${archives}")
  endif()
endforeach()
list(FILTER archives INCLUDE REGEX "-runtime\\.zip$")
file(ARCHIVE_EXTRACT INPUT ${PREFIX}/cpack/${archives} DESTINATION ${PREFIX}/unpacked)
file(GLOB_RECURSE entries RELATIVE ${PREFIX}/unpacked ${PREFIX}/unpacked/*)
if(NOT entries MATCHES "^([^;]*/)?${LIBRARY}$")
  message(FATAL_ERROR "${archives} must hold ${LIBRARY} alone; it holds: ${entries}")
endif()
message(STATUS "runtime: ${LIBRARY} alone, 8 build records; symbols: "
               "${debug_file}; kit: ${KIT_FILES}; harness: ${HARNESS}; archives: ${archives} "
               "and the others")
