# Reads the program file as Windows' loader and Explorer do, with objdump and
# CMake alone: a GUI program of the build's kind (IMAGE: pei-i386, as
# players get it, or pei-x86-64 where the tests run 64-bit) that imports nothing but Known DLLs (the
# C and C++ runtimes are linked in), with its icon, its version record and
# its manifest. Windows maps a Known DLL from the
# system folder whatever lies beside the program; any other static import
# would be looked for there first, before the program could restrict the
# search (dll_search.cpp).
#   cmake -DPROGRAM=<exe> -DOBJDUMP=<objdump> -DIMAGE=<format> -P check_program.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
set(problems "")
if(NOT headers MATCHES "file format ${IMAGE}\n")
  list(APPEND problems "not a ${IMAGE} image")
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

# The program runs on one thread (the size rules, src/platform/win32/CMakeLists.txt).
if(headers MATCHES "[ \t]CreateThread\n")
  list(APPEND problems "imports CreateThread: the program may start no thread")
endif()

# Resource types at the top of the table: icon, icon group, version, manifest.
foreach(type 3 e 10 18)
  if(NOT headers MATCHES "\n[0-9a-f]+   Entry: ID: 0x0000*${type},")
    list(APPEND problems "no resource of type 0x${type}")
  endif()
endforeach()
# Running as the player, the common controls' version 6 and per-monitor DPI awareness.
file(STRINGS "${PROGRAM}" manifest REGEX "level=|Common-Controls|dpiAwareness>")
foreach(needle "level=\"asInvoker\"" "Microsoft.Windows.Common-Controls"
               ">PerMonitorV2,PerMonitor<")
  string(FIND "${manifest}" "${needle}" at)
  if(at LESS 0)
    list(APPEND problems "the manifest lacks ${needle}")
  endif()
endforeach()
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "${PROGRAM}:\n  ${text}")
endif()
