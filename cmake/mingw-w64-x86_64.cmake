# Cross-compiling the Qt-free layers and orlek-cli for 64-bit Windows with Debian's MinGW-w64
# (g++-mingw-w64-x86-64-posix: the POSIX-threads variant, which std::thread needs). The programs
# and tests it builds run under Wine (wine64), which CTest uses as the emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORLEK_MINGW x86_64-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${ORLEK_MINGW}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ORLEK_MINGW}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ORLEK_MINGW}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${ORLEK_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable carries its C and C++ runtime and the threads library: a .exe copied out of
# the build tree (or out of the zip) needs no MinGW DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(ORLEK_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(ORLEK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORLEK_WINE})
endif()
