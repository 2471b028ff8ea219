# Reads the program's PE headers with objdump: a 32-bit GUI program that
# imports nothing but Known DLLs (the C and C++ runtimes are linked in).
# Windows maps a Known DLL from the system folder whatever lies beside the
# program; any other static import would be looked for there first, before
# the program could restrict the search (dll_search.cpp).
#   cmake -DPROGRAM=<exe> -DOBJDUMP=<objdump> -P check_imports.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
set(problems "")
if(NOT headers MATCHES "file format pei-i386")
  list(APPEND problems "not a PE32 i386 image")
endif()
if(NOT headers MATCHES "Subsystem[ \t]+00000002")
  list(APPEND problems "not the Windows GUI subsystem")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
if(NOT imports)
  list(APPEND problems "no imports found")
endif()
foreach(line IN LISTS imports)
  string(REGEX REPLACE "DLL Name: ([^.]+)\\.[dD][lL][lL]" "\\1" dll "${line}")
  string(TOLOWER "${dll}" dll)
  if(NOT dll MATCHES "^(advapi32|comdlg32|gdi32|kernel32|msvcrt|ole32|oleaut32|shell32|shlwapi|user32)$")
    list(APPEND problems "imports ${dll}.dll, which is not a Known DLL")
  endif()
endforeach()
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "${PROGRAM}:\n  ${text}")
endif()
