# Cross-compiles for 32-bit Windows with the posix-threads mingw-w64 compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(LUMORA_MINGW_TRIPLE i686-w64-mingw32)
set(LUMORA_WINE_ARCH win32)
set(LUMORA_WIDL_FLAGS -m32 --win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
