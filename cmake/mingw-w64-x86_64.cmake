# Cross-build for 64-bit Windows with MinGW-w64. KESTRIVAL_THREADS picks the compilers' thread
# model: "posix" (the default) provides std::mutex and std::thread, which GoogleTest needs;
# "win32" for the release exe, which then links no winpthreads.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
if(NOT DEFINED KESTRIVAL_THREADS)
  set(KESTRIVAL_THREADS posix)
endif()
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-${KESTRIVAL_THREADS})
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-${KESTRIVAL_THREADS})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
