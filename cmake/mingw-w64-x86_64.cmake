# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the POSIX-thread
# flavour, g++-mingw-w64-x86-64-posix, whose libstdc++ has std::thread).
# The programs and tests run under Wine: CMAKE_CROSSCOMPILING_EMULATOR runs
# them with wine64 in a Wine prefix of the build tree's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(POS_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${POS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${POS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${POS_MINGW_TRIPLE}-windres)

# Headers and libraries of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${POS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The MinGW runtime (libgcc, libstdc++, winpthread) linked in, so that an
# .exe runs without DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian puts wine64 outside PATH unless the package wine is installed too.
find_program(POS_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
find_program(POS_WINESERVER NAMES wineserver PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(POS_WINE64)
    # A prefix per build tree (made by the target wine_prefix), no debug
    # chatter, and no display: the programs are console programs.
    set(POS_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
    set(POS_WINE_ENV env -u DISPLAY WINEPREFIX=${POS_WINE_PREFIX} WINEARCH=win64 WINEDEBUG=-all)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${POS_WINE_ENV} ${POS_WINE64})
endif()
