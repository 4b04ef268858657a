# Signs a copy of the DLL through the install step's own code (cmake/sign_file.cmake) with
# a throw-away CA and signer made by openssl, and shows: the signature verifies against
# that CA; it is refused against another CA and after one changed byte; removing it gives
# back the unsigned bytes exactly; the signed DLL loads and runs under Wine.
#   cmake -DDLL=<dll> -DWORK=<scratch folder> -DOSSLSIGNCODE=<osslsigncode> -DPYTHON=<python3>
#         "-DHOST=<emulator>;<gyrix-host.exe>" -P check_signing.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/sign_file.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${WORK} OUTPUT_VARIABLE output
                  ERROR_VARIABLE output RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${ARGN} failed:\n${output}")
  endif()
endfunction()

# Two CAs, and a code-signing certificate issued by the first.
file(WRITE ${WORK}/signer.ext "extendedKeyUsage=codeSigning\nbasicConstraints=CA:FALSE\n")
foreach(ca IN ITEMS ca other_ca)
  run(openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj /CN=${ca}
      -keyout ${ca}.key -out ${ca}.pem)
endforeach()
run(openssl req -newkey rsa:2048 -nodes -sha256 -subj /CN=signer -keyout signer.key
    -out signer.csr)
run(openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2
    -sha256 -extfile signer.ext -out signer.pem)

set(unsigned ${WORK}/unsigned.dll)
set(signed ${WORK}/gyrix_solver.dll)
file(COPY_FILE ${DLL} ${unsigned})
file(COPY_FILE ${DLL} ${signed})
gyrix_sign_file(${signed} ${WORK}/signer.pem ${WORK}/signer.key "" "" ${WORK}/ca.pem
                ${OSSLSIGNCODE})
execute_process(COMMAND ${OSSLSIGNCODE} verify -CAfile ${WORK}/ca.pem -in ${signed}
                OUTPUT_VARIABLE verified ERROR_QUIET)
message(STATUS "osslsigncode verify:\n${verified}")

# Refused against another CA, and with one byte of code changed.
function(expect_refused what file ca)
  execute_process(COMMAND ${OSSLSIGNCODE} verify -CAfile ${ca} -in ${file}
                  OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE failed)
  if(NOT failed OR output MATCHES "Signature verification: ok")
    message(FATAL_ERROR "the signature verified ${what}:\n${output}")
  endif()
endfunction()
expect_refused("against another CA" ${signed} ${WORK}/other_ca.pem)
file(COPY_FILE ${signed} ${WORK}/changed.dll)
file(WRITE ${WORK}/change_byte.py [[
import sys
with open(sys.argv[1], "r+b") as dll:
    dll.seek(1040)  # in .text
    byte = dll.read(1)[0]
    dll.seek(1040)
    dll.write(bytes([byte ^ 1]))
]])
run(${PYTHON} change_byte.py changed.dll)
expect_refused("after one changed byte" ${WORK}/changed.dll ${WORK}/ca.pem)

# Removing the signature gives back the unsigned bytes.
run(${OSSLSIGNCODE} remove-signature -in ${signed} -out ${WORK}/removed.dll)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${unsigned} ${WORK}/removed.dll
                RESULT_VARIABLE different)
if(different)
  message(FATAL_ERROR "remove-signature did not give back the unsigned bytes")
endif()

# The signed DLL loads and runs: the version report through the harness, which loads a
# DLL named by its path as a host does, with its imports found beside it.
get_filename_component(dll_dir ${DLL} DIRECTORY)
foreach(sibling IN ITEMS hostutil elemlib tirelib propdb standin_journal)
  file(COPY_FILE ${dll_dir}/${sibling}.dll ${WORK}/${sibling}.dll)
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E env GYRIX_SOLVER_LIBRARY=Z:${signed} ${HOST} version
                OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE failed)
if(failed OR NOT output MATCHES "QAV Compile  ver: 20080306\\.1520")
  message(FATAL_ERROR "the signed DLL did not run:\n${output}")
endif()
message(STATUS "signed, verified, refused as it should be, removed exactly; runs under Wine")
