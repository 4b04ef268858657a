# The library among the host's libraries, run as `cmake -P` with
#   HOST        the gyrix-host command (its emulator first, where there is one)
#   HOST_FILES  where given (Windows): gyrix-host and the DLLs it needs itself, copied into
#               a folder of their own and run from there, away from the stand-ins
#   LIBRARY     the built library; SIBLINGS the stand-ins it needs beside elemlib
#   ELEMLIB     the stand-in elemlib; LACKING one that lacks the exported routine ROUTINE
#   WINE        true when the runs go through scripts/wine-run.sh
#   WORK        a folder for the copies
# A host that loads the library by its full path finds its imports in the library's own
# folder first; a host library lacking a routine fails the load with the loader's reason
# (Linux), or the Wine run names it (Wine binds it to a stub and loads the library).
get_filename_component(library_name ${LIBRARY} NAME)
file(REMOVE_RECURSE ${WORK})

# folder(NAME FILE...): a folder of WORK holding these files.
function(folder name)
  file(MAKE_DIRECTORY ${WORK}/${name})
  file(COPY ${ARGN} DESTINATION ${WORK}/${name})
endfunction()
folder(own ${LIBRARY} ${SIBLINGS} ${ELEMLIB})
folder(lacking ${LIBRARY} ${SIBLINGS} ${LACKING})
if(HOST_FILES)
  folder(host ${HOST_FILES})
  list(POP_BACK HOST program)
  get_filename_component(program ${program} NAME)
  list(APPEND HOST ${WORK}/host/${program})
endif()

# run(WHAT STATUS [LIBRARY_FOLDER] -- ARGS...): gyrix-host run from WORK, with the library
# of that folder in GYRIX_SOLVER_LIBRARY; sets `out` and `err`.
function(run what status folder)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env
                          GYRIX_SOLVER_LIBRARY=${WORK}/${folder}/${library_name} ${HOST} ${ARGN}
                  WORKING_DIRECTORY ${WORK} RESULT_VARIABLE got OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT got STREQUAL status)
    message(FATAL_ERROR "${what}: exit status ${got}, expected ${status}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect what text pattern)
  string(FIND "${text}" "${pattern}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${what}: no \"${pattern}\" in:\n${text}")
  endif()
endfunction()

# From a folder of its own: every stand-in that the start-up calls is found beside it.
run("the library in a folder of its own" 0 own init)
expect("the start-up" "${out}" "stiHanSetDba: handler db_search of propdb (the same address)")

# Beside an elemlib lacking ROUTINE: the loader's reason, where to read on, and no step run.
run("the library beside a lacking elemlib" 1 lacking init)
if(WINE)
  expect("the Wine run" "${err}" "wine-run: Wine found no implementation of")
  expect("the Wine run's warning" "${err}" "${ROUTINE}")
else()
  expect("the harness" "${err}" "gyrix-host: cannot load ${WORK}/lacking/${library_name}: ")
  expect("the loader's reason" "${err}" "${ROUTINE}")
  expect("where to read on" "${err}" "\ngyrix-host: docs/deployment.md says ")
  if(out)
    message(FATAL_ERROR "steps ran against a library that cannot load:\n${out}")
  endif()
endif()
