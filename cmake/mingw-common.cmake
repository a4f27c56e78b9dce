# Shared by both MinGW toolchain files. The -posix compilers are needed: GoogleTest
# does not build against the win32 thread model.
set(CMAKE_C_COMPILER ${ZEPHAL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEPHAL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEPHAL_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${ZEPHAL_TRIPLE}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${ZEPHAL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Never pick up the Linux GoogleTest package.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# CTest runs the Windows programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run.sh)
