# Cross-compiling for 64-bit Windows with Debian's mingw-w64 compilers (POSIX threads, so that
# std::thread and std::mutex work).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(NUVARO_MINGW_HOST x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${NUVARO_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NUVARO_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${NUVARO_MINGW_HOST}-windres)
set(CMAKE_AR ${NUVARO_MINGW_HOST}-gcc-ar-posix)
set(CMAKE_RANLIB ${NUVARO_MINGW_HOST}-gcc-ranlib-posix)

# Libraries and headers of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${NUVARO_MINGW_HOST})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# The third-party builds (scripts/build-windows) are searched like the system's libraries.
list(APPEND CMAKE_FIND_ROOT_PATH ${NUVARO_THIRDPARTY})
