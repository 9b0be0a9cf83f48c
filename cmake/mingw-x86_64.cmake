# Cross-compiling for 64-bit Windows with MinGW-w64. This build runs the tests
# under 64-bit Wine on machines that cannot run 32-bit programs; the program
# users get is the 32-bit build (mingw-i686.cmake).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
