# Cross build for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads flavour, which the
# C++ standard library's threads and <filesystem> need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TELORAD_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TELORAD_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TELORAD_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TELORAD_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TELORAD_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program carries its own runtime: only DLLs that every Windows has are imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# -O2: at -O3 this GCC warns falsely (-Wrestrict) inside std::string, which -Werror makes fatal.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags for Release builds")
