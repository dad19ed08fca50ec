# Cross build for i686 Windows with Debian's MinGW-w64 (posix thread model: std::thread, std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SF_TARGET_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${SF_TARGET_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SF_TARGET_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${SF_TARGET_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${SF_TARGET_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Browsers may call a 32-bit plug-in with only 4-byte stack alignment; let GCC realign
# wherever SSE spills need 16 bytes.
# Floating point in SSE2 as on x86_64: the x87 unit keeps quotients in extended precision, so
# the box rule would truncate to other sizes and the plug-in would send other pictures.
set(SF_I686_FLAGS "-mincoming-stack-boundary=2 -msse2 -mfpmath=sse")
set(CMAKE_C_FLAGS_INIT "${SF_I686_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${SF_I686_FLAGS}")
