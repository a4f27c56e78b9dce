# 32-bit Windows build: the release build that loads the real 32-bit core library.
# It runs under Wine where the machine executes 32-bit programs (wine32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZEPHAL_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
