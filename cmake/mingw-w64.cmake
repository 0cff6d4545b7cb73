# What both MinGW-w64 cross-builds share; the toolchain file of each sets
# CMAKE_SYSTEM_PROCESSOR, AMBERTAP_MINGW_TRIPLET and AMBERTAP_WINDOWS_VERSION
# (the oldest Windows the programs are for, as _WIN32_WINNT writes it) first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${AMBERTAP_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${AMBERTAP_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${AMBERTAP_MINGW_TRIPLET}-windres)

# A static runtime, so that the programs need only Windows' own DLLs; a
# subsystem version that the oldest Windows accepts; and no time stamp in the
# PE header, so that a program is the same bytes whenever it is linked (its
# header checksum too). Release programs carry no symbols: what is tested
# under Wine is what ships.
math(EXPR subsystem_major "${AMBERTAP_WINDOWS_VERSION} >> 8")
math(EXPR subsystem_minor "${AMBERTAP_WINDOWS_VERSION} & 0xff")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ \
-Wl,--major-subsystem-version,${subsystem_major} \
-Wl,--minor-subsystem-version,${subsystem_minor} \
-Wl,--no-insert-timestamp")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Headers and libraries from the cross tree only; programs (Wine) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${AMBERTAP_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
