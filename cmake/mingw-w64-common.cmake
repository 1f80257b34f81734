# What both MinGW-w64 toolchain files share; they set KESTRIVAL_MINGW_TRIPLET and the processor.
# KESTRIVAL_THREADS picks the compilers' thread model: "posix" (the default) provides std::mutex
# and std::thread, which GoogleTest needs; "win32" for the release exe, which then links no
# winpthreads (whose GetTickCount64 import would keep it off Windows XP).
set(CMAKE_SYSTEM_NAME Windows)
if(NOT DEFINED KESTRIVAL_THREADS)
  set(KESTRIVAL_THREADS posix)
endif()
set(CMAKE_C_COMPILER ${KESTRIVAL_MINGW_TRIPLET}-gcc-${KESTRIVAL_THREADS})
set(CMAKE_CXX_COMPILER ${KESTRIVAL_MINGW_TRIPLET}-g++-${KESTRIVAL_THREADS})
set(CMAKE_RC_COMPILER ${KESTRIVAL_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KESTRIVAL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
