# The payloads by resource id, in the form both builds embed them from: as
# resources of type CUSTOM on Windows, as linked-in data on Linux.
set(VELDOR_PAYLOAD_TYPE CUSTOM)
set(VELDOR_PAYLOAD_IDS 101 102 103 104)
set(VELDOR_PAYLOAD_101 eng.db)
set(VELDOR_PAYLOAD_102 ZQ05_Bod.ttf)
set(VELDOR_PAYLOAD_103 chi.db)
set(VELDOR_PAYLOAD_104 config.dat)

set(VELDOR_PAYLOAD_FILES "")
foreach(id IN LISTS VELDOR_PAYLOAD_IDS)
  set(file "${VELDOR_PAYLOAD_DIR}/${VELDOR_PAYLOAD_${id}}")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "Payload folder ${VELDOR_PAYLOAD_DIR} lacks ${VELDOR_PAYLOAD_${id}}")
  endif()
  set(VELDOR_PAYLOAD_FILE_${id} "${file}")
  list(APPEND VELDOR_PAYLOAD_FILES "${file}")
endforeach()

# Each payload's SHA-256, compiled into the core so that the installer can
# prove its own payloads before touching a game folder. CMake re-runs when a
# payload file changes, so the digests never lag behind the files.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VELDOR_PAYLOAD_FILES})
set(VELDOR_PAYLOAD_DIGESTS "")
foreach(id IN LISTS VELDOR_PAYLOAD_IDS)
  file(SHA256 "${VELDOR_PAYLOAD_FILE_${id}}" hex)
  string(REGEX REPLACE "(..)" "0x\\1," bytes "${hex}")
  string(APPEND VELDOR_PAYLOAD_DIGESTS "    {${id}, {${bytes}}},\n")
endforeach()
