# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 toolchain
# (packages g++-mingw-w64-x86-64 and binutils-mingw-w64-x86-64).
#   cmake -B build/mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE=packaging/mingw-w64.cmake ...
# packaging/mingw-check.sh shows a complete run.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CORVANE_MINGW_TRIPLE x86_64-w64-mingw32)

# The posix flavour: its libstdc++ has std::thread and std::mutex, which
# the win32 flavour of GCC 12 lacks.
find_program(CMAKE_C_COMPILER NAMES ${CORVANE_MINGW_TRIPLE}-gcc-posix ${CORVANE_MINGW_TRIPLE}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${CORVANE_MINGW_TRIPLE}-g++-posix ${CORVANE_MINGW_TRIPLE}-g++)
find_program(CMAKE_RC_COMPILER NAMES ${CORVANE_MINGW_TRIPLE}-windres)
find_program(CMAKE_AR NAMES ${CORVANE_MINGW_TRIPLE}-ar)
find_program(CMAKE_RANLIB NAMES ${CORVANE_MINGW_TRIPLE}-ranlib)

set(CMAKE_FIND_ROOT_PATH /usr/${CORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: no libstdc++, libgcc or winpthread DLLs to ship
# beside it (or to find under Wine).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Lets CTest and gtest_discover_tests run the Windows programs when Wine is
# installed.
find_program(CORVANE_WINE NAMES wine wine64)
if(CORVANE_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CORVANE_WINE})
endif()
