# Cross build for 64-bit Windows with the posix-thread flavour of mingw-w64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)

# GNU windres mangles UTF-8 inside L"..." strings; llvm-windres reads them right.
find_program(DIALVANE_WINDRES NAMES llvm-windres-14 llvm-windres REQUIRED)
set(CMAKE_RC_COMPILER ${DIALVANE_WINDRES})
set(CMAKE_RC_FLAGS "--codepage=65001 -O coff" CACHE STRING "" FORCE)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

find_program(DIALVANE_WINE NAMES wine wine64)
set(CMAKE_CROSSCOMPILING_EMULATOR ${DIALVANE_WINE})
