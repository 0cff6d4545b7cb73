# What both MinGW-w64 cross-builds share; the toolchain file of each sets
# CMAKE_SYSTEM_PROCESSOR, AMBERTAP_MINGW_TRIPLET and AMBERTAP_SUBSYSTEM_VERSION_MAJOR
# and _MINOR (the version of the oldest Windows the programs start on) first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${AMBERTAP_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${AMBERTAP_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${AMBERTAP_MINGW_TRIPLET}-windres)

# A static runtime, so that the programs need only Windows' own DLLs, and a
# subsystem version that the oldest Windows accepts.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ \
-Wl,--major-subsystem-version,${AMBERTAP_SUBSYSTEM_VERSION_MAJOR} \
-Wl,--minor-subsystem-version,${AMBERTAP_SUBSYSTEM_VERSION_MINOR}")

# Headers and libraries from the cross tree only; programs (Wine) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${AMBERTAP_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
