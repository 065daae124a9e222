# 32-bit variant: built only, never run (this Wine has no 32-bit support). Its static
# assertions pin the record sizes of a 32-bit build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(HUSHLARK_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${HUSHLARK_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HUSHLARK_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${HUSHLARK_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HUSHLARK_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
