# Authenticode signing of the installed DLL, when a certificate is given: GYRIX_SIGN_CERT
# and GYRIX_SIGN_KEY (PEM files), with GYRIX_SIGN_PASS_FILE (the key's password),
# GYRIX_SIGN_TIMESTAMP_URL (a time-stamp server) and GYRIX_SIGN_CA_FILE (the certificates
# to verify against; the system's by default) optional. Each is a cache variable, or the
# environment variable of the same name at configure time. Without a certificate
# nothing is signed.
foreach(setting IN ITEMS CERT KEY PASS_FILE TIMESTAMP_URL CA_FILE)
  set(GYRIX_SIGN_${setting} "$ENV{GYRIX_SIGN_${setting}}" CACHE STRING
      "Signing of the installed DLL: see cmake/signing.cmake")
endforeach()
if(GYRIX_SIGN_CERT OR GYRIX_SIGN_KEY)
  if(NOT GYRIX_SIGN_CERT OR NOT GYRIX_SIGN_KEY)
    message(FATAL_ERROR "Signing needs both GYRIX_SIGN_CERT and GYRIX_SIGN_KEY")
  endif()
  find_program(GYRIX_OSSLSIGNCODE osslsigncode REQUIRED)
endif()

# gyrix_sign_on_install(PATH COMPONENT): signs PATH (relative to the install prefix) as
# the last step of installing COMPONENT, after everything that writes to the file; cpack,
# which installs too, packs the signed file.
function(gyrix_sign_on_install path component)
  if(NOT GYRIX_SIGN_CERT)
    return()
  endif()
  install(CODE "
    include(${PROJECT_SOURCE_DIR}/cmake/sign_file.cmake)
    gyrix_sign_file(\"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${path}\" [[${GYRIX_SIGN_CERT}]]
                    [[${GYRIX_SIGN_KEY}]] [[${GYRIX_SIGN_PASS_FILE}]]
                    [[${GYRIX_SIGN_TIMESTAMP_URL}]] [[${GYRIX_SIGN_CA_FILE}]]
                    ${GYRIX_OSSLSIGNCODE})
  " COMPONENT ${component})
endfunction()
