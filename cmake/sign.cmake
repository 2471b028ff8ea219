# Signs PROGRAM in place with osslsigncode: Authenticode, SHA-256, the
# PKCS#12 file's certificate, and a time stamp when TIMESTAMP_URL is given.
# The password (VELDOR_SIGN_PASSWORD in the environment) is handed over in
# a file only its owner can read, not on a command line others can see;
# unset or empty, the PKCS#12 file has none (osslsigncode refuses an empty
# password file, so none is given).
#   cmake -DOSSLSIGNCODE=... -DPKCS12=... [-DTIMESTAMP_URL=...] -DPROGRAM=... -P sign.cmake
cmake_minimum_required(VERSION 3.25)

set(private "${PROGRAM}.sign")
file(REMOVE_RECURSE "${private}")
file(MAKE_DIRECTORY "${private}")
file(CHMOD "${private}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(password "")
if(NOT "$ENV{VELDOR_SIGN_PASSWORD}" STREQUAL "")
  file(WRITE "${private}/pass" "$ENV{VELDOR_SIGN_PASSWORD}")
  set(password -readpass "${private}/pass")
endif()

set(timestamp "")
if(TIMESTAMP_URL)
  set(timestamp -ts "${TIMESTAMP_URL}")
endif()
execute_process(
  COMMAND "${OSSLSIGNCODE}" sign -pkcs12 "${PKCS12}" ${password} -h sha256
          -n "VELDOR汉化" ${timestamp} -in "${PROGRAM}" -out "${private}/signed.exe"
  RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT failed)
  file(RENAME "${private}/signed.exe" "${PROGRAM}")
endif()
file(REMOVE_RECURSE "${private}")
if(failed)
  message(FATAL_ERROR "signing ${PROGRAM} failed:\n${output}")
endif()
