# What VELDOR汉化.exe costs beyond the payloads it carries, printed after each
# link (bench/win32/overhead.sh gives the whole picture). Over the goal it
# warns; it never fails the build.
#   cmake -DPROGRAM=exe "-DPAYLOADS=file;file..." -P overhead.cmake
set(goal 49152)  # 48 KiB
file(SIZE "${PROGRAM}" overhead)
foreach(payload IN LISTS PAYLOADS)
  file(SIZE "${payload}" bytes)
  math(EXPR overhead "${overhead} - ${bytes}")
endforeach()
if(overhead GREATER goal)
  message(WARNING "VELDOR汉化.exe: ${overhead} bytes beyond its payloads, over the "
                  "${goal}-byte goal; find what grew with bench/win32/overhead.sh and a link map")
else()
  message(STATUS "VELDOR汉化.exe: ${overhead} bytes beyond its payloads (goal: at most ${goal})")
endif()
