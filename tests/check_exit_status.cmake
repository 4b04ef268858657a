# Runs a command and checks its exact exit status and its output, run as `cmake -P` with
#   COMMAND  the command and its arguments (its emulator first, where there is one)
#   STATUS   the exit status it must end with
#   EXPECT   texts that its standard output and standard error together must each hold
# A command that ends with the right status for another reason (a library that does not
# load, a program that does not start) lacks the texts, and fails.
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(output "${out}${err}")
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}, from ${COMMAND}:\n${output}")
endif()
foreach(text IN LISTS EXPECT)
  string(FIND "${output}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the output lacks \"${text}\":\n${output}")
  endif()
endforeach()
message(STATUS "exit status ${status}, and each of: ${EXPECT}")
