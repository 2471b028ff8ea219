# The release qualities of VELDOR汉化.exe (included by src/platform/win32):
# hardening, a reproducible build, and optional Authenticode signing.

# --- Hardening. Sizes are what each adds to the program (512-byte steps).
# No executing data (a header bit, 0 bytes), relocatable at a random base
# (its relocations, 1.5 KiB; binutils 2.40 sets both by default, named here
# to keep them), and no compatibility shims for terminal servers (0 bytes).
target_link_options(veldor_exe PRIVATE -Wl,--nxcompat,--dynamicbase,--tsaware)
# Canaries on functions with arrays or taken addresses (1 KiB; the guard is
# the program's own, stack_guard.cpp: libssp's would add 1 KiB more and call
# the CryptoAPI before the program's first action). _FORTIFY_SOURCE is left
# out: it needs libssp, for the one copy it would check in the program.
foreach(target veldor_core veldor_win32 veldor_exe)
  target_compile_options(${target} PRIVATE -fstack-protector-strong)
endforeach()
# Tests link the same libraries with the toolchain's guard.
target_link_libraries(veldor_core PUBLIC ssp)

# --- Reproducible: the same commit gives the same bytes in any folder at
# any time. The PE time stamp is SOURCE_DATE_EPOCH, else the commit's time;
# no build path reaches the program; windres stamps no time.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(veldor_epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git log -1 --format=%ct
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE veldor_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE git_failed ERROR_QUIET)
  if(git_failed OR NOT veldor_epoch MATCHES "^[0-9]+$")
    set(veldor_epoch 0)  # not a checkout: a fixed stamp all the same
  endif()
  # A new commit changes the stamp: configure again then.
  execute_process(COMMAND git rev-parse --path-format=absolute --git-path logs/HEAD
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(head_log AND EXISTS "${head_log}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${head_log}")
  endif()
endif()
# GNU ld stamps the PE header with SOURCE_DATE_EPOCH when it is set.
set_target_properties(veldor_exe PROPERTIES
  CXX_LINKER_LAUNCHER "${CMAKE_COMMAND};-E;env;SOURCE_DATE_EPOCH=${veldor_epoch}")
foreach(target veldor_core veldor_win32 veldor_exe)
  target_compile_options(${target} PRIVATE
    -ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)
endforeach()

# --- Optional Authenticode signature (SHA-256) with osslsigncode, after
# linking. The password comes from the environment, never the cache.
set(VELDOR_SIGN_PKCS12 "" CACHE FILEPATH
    "PKCS#12 file to sign VELDOR汉化.exe with (password in VELDOR_SIGN_PASSWORD); empty: unsigned")
set(VELDOR_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for the signature")
if(VELDOR_SIGN_PKCS12)
  find_program(OSSLSIGNCODE osslsigncode REQUIRED)
  add_custom_command(TARGET veldor_exe POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOSSLSIGNCODE=${OSSLSIGNCODE} -DPKCS12=${VELDOR_SIGN_PKCS12}
            -DTIMESTAMP_URL=${VELDOR_SIGN_TIMESTAMP_URL} -DPROGRAM=$<TARGET_FILE:veldor_exe>
            -P ${CMAKE_CURRENT_LIST_DIR}/sign.cmake
    VERBATIM)
endif()
