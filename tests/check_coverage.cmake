# The library's line and branch coverage, from the counters that its tests left
# (gcc --coverage, read by gcovr): the hand-written sources and the generated ones, per
# file, printed and written as HTML; fails below 100% of either.
#   cmake -DOBJECTS=DIR -DSOURCE=DIR -DGENERATED=DIR -DREPORT=DIR [-DRESET=ON] -P check_coverage.cmake
# RESET=ON removes the counters first, so that a run counts its own tests alone.
cmake_minimum_required(VERSION 3.25)
if(RESET)
  file(GLOB_RECURSE counters ${OBJECTS}/*.gcda)
  if(counters)
    file(REMOVE ${counters})
  endif()
  return()
endif()

find_program(GCOVR gcovr REQUIRED)
file(MAKE_DIRECTORY ${REPORT})
# Filters are regular expressions over absolute paths: the folders' own characters quoted.
set(filters "")
foreach(dir ${SOURCE}/subs_solver ${GENERATED})
  string(REGEX REPLACE "([][+.*?()^$|\\\\])" "\\\\\\1" quoted "${dir}/")
  list(APPEND filters --filter ${quoted})
endforeach()
# Every branch that gcc counts is reported: the library is compiled without exceptions,
# so gcc adds none for them (--exclude-throw-branches would drop nothing), and a branch
# that no input can reach is marked in the source with its reason, not dropped here.
execute_process(COMMAND ${GCOVR} --root ${SOURCE} ${filters}
                        --json ${REPORT}/coverage.json --html-details ${REPORT}/index.html
                        ${OBJECTS}
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${GCOVR} --root ${SOURCE} --add-tracefile ${REPORT}/coverage.json --txt
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${GCOVR} --root ${SOURCE} --add-tracefile ${REPORT}/coverage.json --txt --branches
                        --fail-under-line 100 --fail-under-branch 100
                RESULT_VARIABLE status)
message(STATUS "The report per line: ${REPORT}/index.html")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Below 100% of the library's lines or branches (gcovr's status ${status}): "
                      "a test that reaches them, or a marked exclusion with its reason")
endif()
