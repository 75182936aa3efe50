# Cross-compiles for 64-bit Windows with the posix-threads mingw-w64 compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LUMORA_MINGW_TRIPLE x86_64-w64-mingw32)
set(LUMORA_WINE_ARCH win64)
set(LUMORA_WIDL_FLAGS -m64 --win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
