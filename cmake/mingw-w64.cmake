# What both MinGW-w64 cross-builds share; the toolchain file of each sets
# CMAKE_SYSTEM_PROCESSOR, AMBERTAP_MINGW_TRIPLET and AMBERTAP_WINDOWS_VERSION
# (the oldest Windows the programs are for, as _WIN32_WINNT writes it) first.
# The project's own targets take their Windows flags from it (CMakeLists.txt),
# not from this file's initial flags, which a build folder reads only once.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${AMBERTAP_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${AMBERTAP_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${AMBERTAP_MINGW_TRIPLET}-windres)

# Headers and libraries from the cross tree only; programs (Wine) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${AMBERTAP_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
