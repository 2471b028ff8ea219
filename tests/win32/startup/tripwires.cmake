# Builds each variant of the tiny program and checks that the right tripwire
# fires, with its own message: the plain one links; a global constructor or a
# DLL's data read fails the link; a thread fails the program-file check.
#   cmake -DBUILD_DIR=<build> -DOBJDUMP=<objdump> -DTHREADED=<ONE_THREAD program>
#         -DCHECK=<check_program.cmake> -P tripwires.cmake
cmake_minimum_required(VERSION 3.25)
set(problems "")
function(build variant outcome_var output_var)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target win32_tiny_${variant}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(${outcome_var} ${result} PARENT_SCOPE)
  set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

build(plain result output)
if(NOT result EQUAL 0)
  list(APPEND problems "the plain program did not link:\n${output}")
endif()
foreach(case "ONE_GLOBAL_CONSTRUCTOR|a global object has a constructor"
             "ONE_DATA_IMPORT|undefined reference to `_acmdln'")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 variant)
  list(GET case 1 needle)
  build(${variant} result output)
  string(FIND "${output}" "${needle}" at)
  if(result EQUAL 0 OR at LESS 0)
    list(APPEND problems "${variant}: the link did not fail with \"${needle}\":\n${output}")
  endif()
endforeach()
build(ONE_THREAD result output)
execute_process(COMMAND ${CMAKE_COMMAND} -DPROGRAM=${THREADED} -DOBJDUMP=${OBJDUMP} -DIMAGE=pe
                        -P ${CHECK} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
string(FIND "${output}" "imports CreateThread" at)
if(result EQUAL 0 OR at LESS 0)
  list(APPEND problems "ONE_THREAD: the program-file check did not refuse CreateThread:\n${output}")
endif()
if(problems)
  list(JOIN problems "\n" text)
  message(FATAL_ERROR "${text}")
endif()
