# Cross-build for 32-bit Windows with MinGW-w64; the results run here under
# Wine (see wine-run.sh), which CTest uses as the emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(VELDOR_MINGW_TRIPLE i686-w64-mingw32)
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
