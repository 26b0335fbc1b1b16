# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 and runs what it builds under Wine.
# Usage: cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The -posix compilers: the -win32 thread model has no std::thread or std::mutex in GCC 12.
set(KERNOVA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KERNOVA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KERNOVA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KERNOVA_MINGW_TRIPLET}-windres)

# Headers and libraries come from the MinGW tree only; build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KERNOVA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A fully static link: the exe must not load libstdc++, libgcc or libwinpthread DLLs, which
# Windows does not have and which would be searched for beside the exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# wine64 itself: /usr/bin/wine prints a missing-32-bit-Wine hint on standard error.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
