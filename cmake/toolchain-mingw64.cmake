# Cross-building for 64-bit Windows with mingw-w64 (the posix thread model, for std::thread), the tests
# run under Wine:
#   cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(flash410_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${flash410_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${flash410_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${flash410_mingw}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${flash410_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program runs alone, with no compiler runtime DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest (and test discovery) start the test programs through Wine, by a script that starts again a program
# that Wine failed to start at all.
find_program(FLASH410_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh ${FLASH410_WINE})
