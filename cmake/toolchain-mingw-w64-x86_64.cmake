# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers.
#
# The posix-thread variant is used: the default win32-thread one has no
# std::thread. Programs are linked statically, so they need only the DLLs
# that come with Windows itself.
#
#   cmake -S . -B build-windows \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELDRIN_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${VELDRIN_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELDRIN_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${VELDRIN_MINGW_TRIPLET}-windres)
set(CMAKE_AR           /usr/bin/${VELDRIN_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${VELDRIN_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

# Headers and libraries of the target come from the MinGW sysroot and from
# the prefixes handed in with CMAKE_PREFIX_PATH (the wxMSW cache); programs
# run at build time come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VELDRIN_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Static C and C++ runtimes and winpthread: no libstdc++-6.dll,
# libgcc_s_seh-1.dll or libwinpthread-1.dll beside the program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run under Wine on Linux.
find_program(VELDRIN_WINE NAMES wine)
if(VELDRIN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELDRIN_WINE})
endif()
