# Cross-builds the 64-bit Windows programs on Linux with MinGW-w64
# (Debian: g++-mingw-w64-x86-64-win32, gcc-mingw-w64-x86-64-win32).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(AMBERTAP_MINGW_TRIPLET x86_64-w64-mingw32)
# Windows XP x64 Edition and Server 2003 are Windows 5.2.
set(AMBERTAP_WINDOWS_VERSION 0x0502)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
