# Cross-compiles Hushlark for 64-bit Windows with Debian's mingw-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(HUSHLARK_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HUSHLARK_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HUSHLARK_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${HUSHLARK_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HUSHLARK_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every executable runs on a bare Windows: no libstdc++, libgcc or winpthread DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run through Wine in a prefix private to the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
