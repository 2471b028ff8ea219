# Cross-build for Windows with MinGW-w64; the results run here under Wine
# (see wine-run.sh), which CTest uses as the emulator. The installer players
# get is 32-bit (i686, the default); a 64-bit build (VELDOR_MINGW_TRIPLE
# x86_64-w64-mingw32, the win64 preset) runs the same tests where the kernel
# runs no 32-bit programs, and so no 32-bit Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(VELDOR_MINGW_TRIPLE i686-w64-mingw32 CACHE STRING "MinGW-w64 target triple")
if(VELDOR_MINGW_TRIPLE MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()

# The POSIX thread model: GoogleTest needs std::mutex, which the win32 model
# of GCC 12 lacks. The program itself uses no threads.
set(CMAKE_C_COMPILER ${VELDOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELDOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELDOR_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELDOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Unused code is dropped at link time, and the C and C++ runtimes are linked
# in, so a program needs nothing beyond Windows' own DLLs.
set(CMAKE_C_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--gc-sections")

# Every Wine run of this build shares one prefix inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;${CMAKE_BINARY_DIR}/wine-prefix")
