# Reads the program's PE headers with objdump: a 32-bit GUI program that
# loads nothing but Windows' own DLLs (the C and C++ runtimes are linked in).
#   cmake -DPROGRAM=<exe> -DOBJDUMP=<objdump> -P check_imports.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE headers RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump could not read ${PROGRAM}")
endif()

set(problems "")
if(NOT headers MATCHES "file format pei-i386")
  list(APPEND problems "not a PE32 i386 image")
endif()
if(NOT headers MATCHES "Subsystem[ \t]+00000002")
  list(APPEND problems "not the Windows GUI subsystem")
endif()

set(system_dlls advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt ole32 oleaut32 shell32
    shlwapi user32 version)
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
if(NOT imports)
  list(APPEND problems "no imports found")
endif()
foreach(line IN LISTS imports)
  string(REGEX REPLACE "DLL Name: ([^.]+)\\.[dD][lL][lL]" "\\1" dll "${line}")
  string(TOLOWER "${dll}" dll)
  message(STATUS "imports ${dll}.dll")
  if(NOT dll IN_LIST system_dlls)
    list(APPEND problems "imports ${dll}.dll, which is not part of Windows")
  endif()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "${PROGRAM}:\n  ${text}")
endif()
