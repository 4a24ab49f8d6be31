# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threading flavour).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELTRIX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${VELTRIX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELTRIX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${VELTRIX_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP      ${VELTRIX_MINGW_TRIPLE}-objdump)
set(CMAKE_STRIP        ${VELTRIX_MINGW_TRIPLE}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${VELTRIX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every executable is linked statically: it has to run under Wine (and on a
# user's machine) with nothing beside it but the Windows system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
