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
