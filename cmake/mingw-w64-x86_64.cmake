# Cross-compiling the Windows program on Linux with mingw-w64 (Debian's
# g++-mingw-w64-x86-64). The posix-threads compiler is the one whose C++
# library has std::thread and std::mutex; everything is linked statically so
# that the program needs nothing but Windows itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GRUMBOSH_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${GRUMBOSH_MINGW_PREFIX}-g++-posix ${GRUMBOSH_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${GRUMBOSH_MINGW_PREFIX}-gcc-posix ${GRUMBOSH_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${GRUMBOSH_MINGW_PREFIX}-windres windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${GRUMBOSH_MINGW_PREFIX})
# Programs (the host's compiler for build-time tools, Python, wine) come from
# the host; headers and libraries only from the Windows side.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs are run under wine.
find_program(GRUMBOSH_WINE NAMES wine wine64)
if(GRUMBOSH_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${GRUMBOSH_WINE})
endif()
