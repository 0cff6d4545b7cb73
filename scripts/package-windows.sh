#!/usr/bin/env bash
# Builds both Windows release archives into FOLDER (build/packages unless
# given): ambertap-VERSION-win32.zip and ambertap-VERSION-win64.zip, each with
# ambertap.exe and a read-me for Windows users, and SHA256SUMS, which lists
# both as sha256sum writes it.
#
#   scripts/package-windows.sh [FOLDER]
#
# The archives are built from the commit alone, so that anyone who builds it
# gets the same bytes: the build date in the banner (GCC's __DATE__) and the
# times of the zip entries are the last commit's time (SOURCE_DATE_EPOCH,
# unless the caller sets it), the entries' times written in UTC and the
# entries in an order of the project's own, the linker writes no time stamp,
# the programs carry no symbols, and the entries' owner is root. Each build has
# a tree of its own, FOLDER/mingw-x86 and FOLDER/mingw-x64, without the
# Windows tests.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh mingw

folder=${1:-build/packages}
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
cmake=$(command -v cmake)
# A zip entry records its file's owner: anyone but root packs as root of a
# user namespace of its own, so that the owner is root's 0 for everyone.
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(unshare --map-root-user)
fi

mkdir -p "$folder"
rm -f "$folder"/*.zip "$folder/SHA256SUMS"
for preset in mingw-x86 mingw-x64; do
    tree=$folder/$preset
    # The epoch is on every compile command line, so that objects compiled
    # without it, or with another, are compiled anew.
    cmake --preset "$preset" -B "$tree" -D AMBERTAP_WINDOWS_TESTS=OFF \
        -D "CMAKE_CXX_COMPILER_LAUNCHER=$cmake;-E;env;SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH" \
        >/dev/null
    cmake --build "$tree"
    "${as_root[@]}" cmake -D "CONFIG=$tree/CPackConfig.cmake" -D "FOLDER=$folder" \
        -P packaging/make_archive.cmake
done
(cd "$folder" && sha256sum -- *.zip >SHA256SUMS && cat SHA256SUMS)
