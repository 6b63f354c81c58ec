# Cross-building for 64-bit Windows with mingw-w64 (posix thread model) from Debian. The test
# programs run through Wine, so gtest_discover_tests and ctest work as on the build machine.
# QUOL_WINDOWS_PREFIX: the folder where SDL2 and GoogleTest were cross-built and installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUOL_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${QUOL_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libstdc++, libgcc and winpthread linked in: the .exe needs no mingw DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(QUOL_WINE wine)
if(QUOL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUOL_WINE})
endif()
