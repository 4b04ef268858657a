# Builds the library a second time, from a copy of the source tree at another path (and
# depth), with the same preset, and compares the files that ship with this build's: the
# DLL, its PDB and the two import libraries must be the same bytes.
# The install component COMPONENT, when given, is installed from both and compared too:
# the same files by the same names.
#   cmake -DSOURCE=<source tree> -DBUILD=<this build tree> -DWORK=<scratch folder>
#         -DPRESET=<preset> "-DTARGETS=<targets>" "-DFILES=<files, relative to the build tree>"
#         [-DCOMPONENT=<component>] -P check_reproducible_build.cmake
set(clone ${WORK}/another/clone)
file(REMOVE_RECURSE ${WORK})
# The tree as a clone has it: no build trees, no repository.
file(COPY ${SOURCE}/ DESTINATION ${clone} REGEX "^${SOURCE}/(build|\\.git)$" EXCLUDE)

execute_process(COMMAND ${CMAKE_COMMAND} --preset ${PRESET} WORKING_DIRECTORY ${clone}
                OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE failed)
if(NOT failed)
  execute_process(COMMAND ${CMAKE_COMMAND} --build build/${PRESET} --target ${TARGETS}
                  WORKING_DIRECTORY ${clone}
                  OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE failed)
endif()
if(failed)
  message(FATAL_ERROR "the second build in ${clone} failed:\n${output}")
endif()

set(pairs "")
foreach(file IN LISTS FILES)
  list(APPEND pairs "${BUILD}/${file}|${clone}/build/${PRESET}/${file}|${file}")
endforeach()
if(COMPONENT)
  foreach(tree IN ITEMS first second)
    if(tree STREQUAL "first")
      set(tree_build ${BUILD})
    else()
      set(tree_build ${clone}/build/${PRESET})
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} --install ${tree_build} --component ${COMPONENT}
                            --prefix ${WORK}/${tree} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(GLOB_RECURSE ${tree}_files RELATIVE ${WORK}/${tree} ${WORK}/${tree}/*)
  endforeach()
  if(NOT first_files STREQUAL second_files)
    message(FATAL_ERROR "the component ${COMPONENT} holds ${first_files} from ${BUILD}, "
                        "but ${second_files} from ${clone}")
  endif()
  foreach(file IN LISTS first_files)
    list(APPEND pairs "${WORK}/first/${file}|${WORK}/second/${file}|${COMPONENT}: ${file}")
  endforeach()
endif()

set(differing "")
foreach(pair IN LISTS pairs)
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 first)
  list(GET pair 1 second)
  list(GET pair 2 file)
  file(SIZE ${first} size)
  execute_process(COMMAND cmp -l ${first} ${second} OUTPUT_VARIABLE bytes ERROR_VARIABLE error
                  RESULT_VARIABLE different)
  if(different)
    string(REGEX MATCHALL "[^\n]+" lines "${bytes}")
    list(LENGTH lines count)
    list(APPEND differing "${file} (${count} of ${size} bytes differ; ${error})")
  else()
    message(STATUS "${file}: ${size} bytes, the same from ${clone}")
  endif()
endforeach()
if(differing)
  list(JOIN differing "\n  " differing)
  message(FATAL_ERROR "not the same bytes from ${BUILD} and ${clone}:\n  ${differing}")
endif()
file(REMOVE_RECURSE ${WORK})
