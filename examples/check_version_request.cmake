# find_package asked for versions of the unpacked package, each a row VERSION=OUTCOME:
# `accepted`, or `refused` with CMake's own message naming the request and the version
# that the package has.
#   cmake -DPREFIX=<unpacked package> -DPROJECT=<kit_version project> -DWORK=<scratch folder>
#         -DHAS=<the package's version> "-DROWS=<VERSION=OUTCOME;...>" -P check_version_request.cmake
set(faults "")
foreach(row IN LISTS ROWS)
  string(REPLACE "=" ";" row "${row}")
  list(GET row 0 request)
  list(GET row 1 expected)
  file(REMOVE_RECURSE ${WORK}/${request})
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${PROJECT} -B ${WORK}/${request}
                          -DREQUEST=${request} -DCMAKE_PREFIX_PATH=${PREFIX}
                  OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
  string(REGEX REPLACE "[ \n]+" " " words "${output}")
  string(REPLACE "." "\\." has "${HAS}")
  if(status EQUAL 0)
    set(outcome accepted)
  elseif(words MATCHES "compatible with requested version \"${request}\"\\. .* version: ${has}")
    set(outcome refused)
  else()
    set(outcome "failed otherwise")
  endif()
  if(NOT outcome STREQUAL expected)
    list(APPEND faults "${request}: ${outcome}, not ${expected}:\n${output}")
  else()
    message(STATUS "${request}: ${outcome}")
  endif()
endforeach()
if(faults)
  list(JOIN faults "\n" faults)
  message(FATAL_ERROR "${faults}")
endif()
