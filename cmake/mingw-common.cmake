# What both MinGW-w64 cross builds share; the toolchain file that includes
# this sets CMAKE_SYSTEM_PROCESSOR first. The compilers are the posix thread
# model's.
set(CMAKE_SYSTEM_NAME Windows)
set(tarrow_mingw_triple ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

set(CMAKE_C_COMPILER ${tarrow_mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${tarrow_mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${tarrow_mingw_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${tarrow_mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One self-contained executable: no MinGW runtime DLL next to it. Small, for
# what users get: optimised for size, every function and datum in a section
# of its own, and the sections that nothing uses dropped by the linker.
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--gc-sections")
