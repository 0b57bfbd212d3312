# Windows programs of a cross build run under Wine: CTest starts every test executable through
# CMAKE_CROSSCOMPILING_EMULATOR. Each CTest run gets a Wine prefix of its own in the build
# directory, made once by the fixture wine_prefix (tests/CMakeLists.txt), so parallel runs of
# other builds never share one and the logs stay quiet.
# The wrapper on PATH when installed, else Debian's wine64 loader itself.
find_program(TELORAD_WINE NAMES wine wine64 PATHS /usr/lib/wine)
if(NOT TELORAD_WINE)
    message(WARNING "Wine not found: the Windows tests are built but cannot run here")
    return()
endif()
set(TELORAD_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env WINEPREFIX=${TELORAD_WINE_PREFIX} WINEDEBUG=-all ${TELORAD_WINE})
