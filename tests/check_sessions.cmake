# The harness's answers to bad input, run as `cmake -P` with
#   HOST      the gyrix-host command (its emulator first, where there is one)
#   SESSIONS  the folder of malformed session files, each with a "# expect: TEXT" line
#   EXAMPLE   an example session, and TRANSCRIPT its expected transcript
#   OTHER     the file name of a library that is not this one (the stand-in elemlib)
#   WORK      a folder for the altered transcripts
#   USER_SUBROUTINES  the number of user-subroutine entry points that the contract
#             table names
# Every case must end with its exit status and say what is wrong on standard error; a
# transcript kept with --output must be the expected one, and a run that produced none
# must leave the file as it was.

# Runs the harness with ${ENVIRONMENT} (NAME=VALUE words) added to its environment.
function(expect_outcome what status pattern)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env ${ENVIRONMENT} ${HOST} ${ARGN}
                  RESULT_VARIABLE got OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT got STREQUAL status)
    message(FATAL_ERROR "${what}: exit status ${got}, expected ${status}\n${err}")
  endif()
  string(FIND "${err}" "${pattern}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${what}: standard error lacks \"${pattern}\":\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
  set(last_error "${err}" PARENT_SCOPE)
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
expect_outcome("a missing session file" 2
               "${WORK}/none.session: cannot read the session file: there is no such file" run
               ${WORK}/none.session)
expect_outcome("a folder as the session file" 2
               "${SESSIONS}: cannot read the session file: it is a folder" run ${SESSIONS})

# The command line: the same words, one line before the usage, exit status 2.
expect_outcome("call NOPE 1" 2 "gyrix-host: no entry point is named \"NOPE\"; the known ones: CONSUB"
               call NOPE 1)
expect_outcome("call SFOSUB abc" 2 "gyrix-host: \"abc\" is not a number\nusage:" call SFOSUB abc)
expect_outcome("init --status x" 2 "gyrix-host: \"x\" is not a number" init --status x)
expect_outcome("tirinit --status" 2 "gyrix-host: tirinit takes nothing or --status N" tirinit
               --status)
expect_outcome("an unknown command" 2
               "gyrix-host: unknown command \"bogus\" (the commands: call, filter, init, tirinit, version, exports, run, help)\nusage:"
               bogus)
expect_outcome("no command" 2 "gyrix-host: no command given\nusage:")
expect_outcome("a session-only step" 2 "gyrix-host: \"say\" is a step of session files only"
               say hello)
expect_outcome("an unknown option of run" 2
               "gyrix-host: run: \"--frob\" is no option of run (its options: --expect, --output)"
               run --frob ${EXAMPLE})
expect_outcome("two session files" 2 "gyrix-host: run takes one session FILE, not" run
               ${EXAMPLE} ${EXAMPLE})
expect_outcome("--output without a file" 2 "gyrix-host: run: --output needs a file" run
               ${EXAMPLE} --output)

# Help: the usage on standard output, exit status 0.
foreach(help IN ITEMS help --help -h)
  expect_outcome(${help} 0 "" ${help})
  if(NOT last_output MATCHES "^usage: gyrix-host COMMAND\n.*  run \\[--expect .*  help ")
    message(FATAL_ERROR "${help}: the usage is not on standard output:\n${last_output}")
  endif()
endforeach()

# The library is found and checked once, before any step runs: set but empty counts as
# unset; a file that does not load, or another library, is an error and no transcript.
set(ENVIRONMENT GYRIX_SOLVER_LIBRARY=)
expect_outcome("GYRIX_SOLVER_LIBRARY empty" 0 "" call SFOSUB 901)
if(NOT last_output MATCHES "SFO901: 7 argument words")
  message(FATAL_ERROR "GYRIX_SOLVER_LIBRARY empty: not the library's routing:\n${last_output}")
endif()
file(WRITE ${WORK}/kept.transcript "keep\n")
set(ENVIRONMENT GYRIX_SOLVER_LIBRARY=${WORK}/none.library)
expect_outcome("a library file that does not exist" 1 "gyrix-host: cannot load ${WORK}/none.library: "
               run ${EXAMPLE} --output ${WORK}/kept.transcript)
if(NOT last_error MATCHES "gyrix-host: cannot load [^\n]*\ngyrix-host: docs/deployment\\.md says [^\n]*\n$")
  message(FATAL_ERROR "a library that does not load: the loader's reason is not one line, or no "
                      "line names docs/deployment.md:\n${last_error}")
endif()
file(READ ${WORK}/kept.transcript kept)
if(NOT kept STREQUAL "keep\n" OR EXISTS ${WORK}/kept.transcript.partial OR last_output)
  message(FATAL_ERROR "a run that loaded no library changed the --output file or printed steps")
endif()
set(ENVIRONMENT GYRIX_SOLVER_LIBRARY=${OTHER})
foreach(command IN ITEMS "run;${EXAMPLE}" "call;SFOSUB;901" "init")
  expect_outcome("${command} on another library" 1
                 "gyrix-host: ${OTHER} is not the gyrix_solver library: it exports none of the ${USER_SUBROUTINES} user-subroutine entry points\n"
                 ${command})
  if(NOT last_output STREQUAL "")
    message(FATAL_ERROR "${command} on another library printed:\n${last_output}")
  endif()
endforeach()
set(ENVIRONMENT "")

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

# What cannot be seen in a line is written out: the end of a transcript, "\r", a missing
# newline at the end.
string(LENGTH "${expected}" length)
math(EXPR last "${length} - 1")
string(SUBSTRING "${expected}" 0 ${last} unterminated)
string(REGEX MATCH "[^\n]*\n$" last_line "${expected}")
string(REPLACE "\n" "" last_line "${last_line}")
string(REGEX MATCHALL "\n" newlines "${expected}")
list(LENGTH newlines lines)
math(EXPR extra "${lines} + 1")
string(REPLACE "\n" "\r\n" crlf "${expected}")
string(REGEX MATCH "^[^\n]*" first_line "${expected}")
function(expect_difference name text difference)
  file(WRITE ${WORK}/${name}.transcript "${text}")
  expect_outcome("an expected transcript, ${name}" 1 "first difference at line ${difference}"
                 run --expect ${WORK}/${name}.transcript ${EXAMPLE})
endfunction()
expect_difference(extra "${expected}extra line\n"
                  "${extra}:\n  expected: |extra line|\n  actual:   <end of transcript>\n")
expect_difference(unterminated "${unterminated}"
                  "${lines}:\n  expected: |${last_line}| <no newline at the end>\n  actual:   |${last_line}|\n")
expect_difference(crlf "${crlf}"
                  "1:\n  expected: |${first_line}\\r|\n  actual:   |${first_line}|\n")

# --output keeps the very transcript that standard output shows, options before the file
# as after it, replacing the file it names.
expect_outcome("--output" 0 "" run --output ${WORK}/kept.transcript ${EXAMPLE})
file(READ ${WORK}/kept.transcript kept)
if(NOT kept STREQUAL expected OR NOT last_output STREQUAL expected)
  message(FATAL_ERROR "--output: the kept transcript or standard output is not ${TRANSCRIPT}")
endif()
