# The harness's answers to bad input, run as `cmake -P` with
#   HOST      the gyrix-host command (its emulator first, where there is one)
#   SESSIONS  the folder of malformed session files, each with a "# expect: TEXT" line
#   EXAMPLE   an example session, and TRANSCRIPT its expected transcript
#   WORK      a folder for the altered transcript
# Every case must end with its exit status and say what is wrong on standard error; a
# transcript kept with --output must be the expected one.

function(expect_outcome what status pattern)
  execute_process(COMMAND ${HOST} ${ARGN} RESULT_VARIABLE got OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT got STREQUAL status)
    message(FATAL_ERROR "${what}: exit status ${got}, expected ${status}\n${err}")
  endif()
  string(FIND "${err}" "${pattern}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${what}: standard error lacks \"${pattern}\":\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

# Malformed session files: the file's name and the line, exit status 2, nothing run.
file(GLOB sessions ${SESSIONS}/*.session)
foreach(session IN LISTS sessions)
  file(STRINGS ${session} expect REGEX "^# expect: ")
  string(REPLACE "# expect: " "" expect "${expect}")
  expect_outcome(${session} 2 "${session}${expect}\n" run ${session})
  if(NOT last_output STREQUAL "")
    message(FATAL_ERROR "${session}: steps ran before the error was found:\n${last_output}")
  endif()
endforeach()
expect_outcome("a missing session file" 2 "${WORK}/none.session: cannot read" run
               ${WORK}/none.session)
expect_outcome("a folder as the session file" 2 "${SESSIONS}: cannot read" run ${SESSIONS})

# The command line: the same words, one line before the usage, exit status 2.
expect_outcome("call NOPE 1" 2 "gyrix-host: no entry point is named \"NOPE\"; the known ones: CONSUB"
               call NOPE 1)
expect_outcome("call SFOSUB abc" 2 "gyrix-host: \"abc\" is not a number\nusage:" call SFOSUB abc)
expect_outcome("init --status x" 2 "gyrix-host: \"x\" is not a number" init --status x)

# One changed byte in an expected transcript: exit status 1, and the line where it is.
file(READ ${TRANSCRIPT} expected)
string(FIND "${expected}" "PAR(1) = 901.7" at)
math(EXPR at "${at} + 13")
string(SUBSTRING "${expected}" 0 ${at} before)
math(EXPR after "${at} + 1")
string(SUBSTRING "${expected}" ${after} -1 rest)
file(WRITE ${WORK}/altered.transcript "${before}8${rest}")
string(REGEX MATCHALL "\n" newlines "${before}")
list(LENGTH newlines line)
math(EXPR line "${line} + 1")
expect_outcome("an altered transcript" 1
               "first difference at line ${line}:\n  expected: |SFOSUB with PAR(1) = 901.8|\n  actual:   |SFOSUB with PAR(1) = 901.7|"
               run ${EXAMPLE} --expect ${WORK}/altered.transcript)

# --output keeps the very transcript that standard output shows.
file(REMOVE ${WORK}/kept.transcript)
expect_outcome("--output" 0 "" run ${EXAMPLE} --output ${WORK}/kept.transcript)
file(READ ${WORK}/kept.transcript kept)
if(NOT kept STREQUAL expected OR NOT last_output STREQUAL expected)
  message(FATAL_ERROR "--output: the kept transcript or standard output is not ${TRANSCRIPT}")
endif()
