# Runs an example host built against the release's packages and compares what it prints
# (standard output and error, as one stream) with the expected transcript; builds it
# first when BUILD is given.
#   cmake -DBUILD=<compile and link command, a list, or nothing>
#         -DPKG_CONFIG=<pkg-config command, or nothing>
#         -DRUN=<command, a list> -DOUTPUT=<file> -DEXPECT=<transcript> -P run_kit_host.cmake
# With PKG_CONFIG, its output stands for the item `<pkg-config>` in BUILD, read as a shell
# reads `$(pkg-config ...)` in a Makefile's command (a blank in a path comes escaped).
# The Windows C run-time writes "\r\n" in text mode, the version report's tool records
# (4-6) name this build's compilers and options: both are set aside before comparing.
get_filename_component(work ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${work})
if(PKG_CONFIG)
  execute_process(COMMAND ${PKG_CONFIG} OUTPUT_VARIABLE flags COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(TRANSFORM BUILD REPLACE "^<pkg-config>$" "${flags}")
endif()
if(BUILD)
  execute_process(COMMAND ${BUILD} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "building the host failed (${status}): ${BUILD}")
  endif()
endif()

# One file for both streams, so that their lines keep the order in which they came.
execute_process(COMMAND sh -c "\"$@\" >'${OUTPUT}' 2>&1" run ${RUN} RESULT_VARIABLE status)
file(READ ${OUTPUT} output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the host exited with ${status}:\n${output}")
endif()
string(REPLACE "\r\n" "\n" output "${output}")
string(REGEX REPLACE "(%gyrix_solver-i-gyrix_solver, QAV) [^:\n]+opts: [^\n]*"
                     "\\1 <tool>  opts: (...)" output "${output}")
file(READ ${EXPECT} expected)
if(NOT output STREQUAL expected)
  string(REPLACE "\n" ";" got_lines "${output}")
  string(REPLACE "\n" ";" want_lines "${expected}")
  set(line 0)
  foreach(want IN LISTS want_lines)
    list(LENGTH got_lines count)
    if(line LESS count)
      list(GET got_lines ${line} got)
    else()
      set(got "(nothing)")
    endif()
    math(EXPR line "${line} + 1")
    if(NOT got STREQUAL want)
      break()
    endif()
  endforeach()
  file(WRITE ${OUTPUT}.normalised "${output}")
  message(FATAL_ERROR "the transcript differs from ${EXPECT} at line ${line}:\n"
                      "expected: ${want}\ngot:      ${got}\n(all of it: ${OUTPUT}.normalised)")
endif()
message(STATUS "${EXPECT}: the same")
