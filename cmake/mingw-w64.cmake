# Cross build for 64-bit Windows with Debian's MinGW-w64, for the static Qt of
# tools/static-qt.sh windows as well as for Nurvelo itself:
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DCMAKE_PREFIX_PATH=<that Qt> -DQT_HOST_PATH=/usr
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_nurvelo_mingw x86_64-w64-mingw32)
# The posix thread model (winpthreads), as Qt's own MinGW builds use; Qt and the program must agree.
set(CMAKE_C_COMPILER ${_nurvelo_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_nurvelo_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_nurvelo_mingw}-windres)

# Libraries and packages only from the MinGW tree and the Windows Qt, never the build machine's;
# programs (moc, rcc and the like) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${_nurvelo_mingw})
if(CMAKE_PREFIX_PATH)
    # Outside a root these would be looked for under /usr/x86_64-w64-mingw32 instead.
    list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One exe that runs on its own: without -static it would import libgcc_s_seh-1.dll,
# libstdc++-6.dll and libwinpthread-1.dll, which Qt's -static-runtime does not cover.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Debian's rcc packs resources with zstd, which this Qt cannot unpack (MinGW has no zstd);
# qt_add_executable says so itself, a plain add_library or add_executable does not.
set(CMAKE_AUTORCC_OPTIONS --no-zstd)
