# Cross-builds the 32-bit Windows programs on Linux with MinGW-w64
# (Debian: g++-mingw-w64-i686-win32, gcc-mingw-w64-i686-win32).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(AMBERTAP_MINGW_TRIPLET i686-w64-mingw32)
# 32-bit Windows XP is Windows 5.1.
set(AMBERTAP_WINDOWS_VERSION 0x0501)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
