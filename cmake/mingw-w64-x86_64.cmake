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

# Debian's Wine 8 starts 64-bit programs without a preloader: now and then (about 1 start in
# 3,000 here) the randomised address layout takes the place Wine needs, and it exits with status 1
# before the program runs ("failed to map the shared user data"). Without randomisation the layout
# is the same on every start.
find_program(QUOL_WINE wine)
find_program(QUOL_SETARCH setarch)
if(QUOL_WINE AND QUOL_SETARCH)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUOL_SETARCH} x86_64 -R ${QUOL_WINE})
elseif(QUOL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUOL_WINE})
endif()
