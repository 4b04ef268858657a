# Signs a Windows binary in place with Authenticode (SHA-256, osslsigncode) and verifies
# the signature; stops with FATAL_ERROR when signing fails or no valid signature results,
# leaving the file unsigned. Included by the install step of the DLL and by its test.
#
# gyrix_sign_file(FILE CERT KEY PASS_FILE TIMESTAMP_URL CA_FILE OSSLSIGNCODE)
#   CERT, KEY      the signer's certificate (with its chain) and private key, PEM files
#   PASS_FILE      a file holding the key's password, or empty
#   TIMESTAMP_URL  an RFC 3161 time-stamp server, or empty
#   CA_FILE        the certificates to verify against, or empty for the system's
function(gyrix_sign_file file cert key pass_file timestamp_url ca_file osslsigncode)
  foreach(input IN ITEMS cert key pass_file ca_file)
    if(${input} AND NOT EXISTS "${${input}}")
      message(FATAL_ERROR "signing ${file}: ${${input}} does not exist")
    endif()
  endforeach()
  set(options -certs ${cert} -key ${key} -h sha256 -n gyrix_solver)
  if(pass_file)
    list(APPEND options -readpass ${pass_file})
  endif()
  if(timestamp_url)
    list(APPEND options -ts ${timestamp_url})
  endif()
  if(NOT ca_file)
    set(ca_file /etc/ssl/certs/ca-certificates.crt)
  endif()

  set(signed ${file}.signed)
  file(REMOVE ${signed})
  execute_process(COMMAND ${osslsigncode} sign ${options} -in ${file} -out ${signed}
                  OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE failed)
  if(NOT failed)
    execute_process(COMMAND ${osslsigncode} verify -CAfile ${ca_file} -in ${signed}
                    OUTPUT_VARIABLE output ERROR_VARIABLE error RESULT_VARIABLE failed)
    string(APPEND output "${error}")
  endif()
  if(failed OR NOT output MATCHES "Signature verification: ok")
    file(REMOVE ${signed})
    message(FATAL_ERROR "signing ${file} gave no valid signature:\n${output}")
  endif()
  file(RENAME ${signed} ${file})
  message(STATUS "Signed and verified: ${file}")
endfunction()
