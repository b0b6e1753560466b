# Cross-building the suite as Windows programs with Debian's mingw-w64
# compilers (POSIX threads flavour): 64-bit (x86_64, the default) or 32-bit
# (SUITE_WINDOWS_PROCESSOR=i686, which runs on 32-bit and 64-bit Windows
# alike). Every program is linked statically, so that each .exe runs on its
# own; the tests of both widths run under Wine.
set(SUITE_WINDOWS_PROCESSOR x86_64 CACHE STRING "Windows target processor: x86_64 or i686")
set_property(CACHE SUITE_WINDOWS_PROCESSOR PROPERTY STRINGS x86_64 i686)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${SUITE_WINDOWS_PROCESSOR})

set(mingw_triplet ${SUITE_WINDOWS_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)
# The packages' programs are stripped with the target's own strip.
set(CMAKE_STRIP ${mingw_triplet}-strip CACHE FILEPATH "strip for the Windows programs")

# Libraries and headers only from the target's own tree; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No runtime DLLs to ship or to find: the C++ runtime, libgcc and the thread
# library are linked into every program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest (and the test discovery) starts the programs under Wine of their
# width, each width in a Wine prefix of its own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/run-under-wine)
