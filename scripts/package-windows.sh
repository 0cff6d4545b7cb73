#!/usr/bin/env bash
# Builds both Windows release archives into FOLDER (build/packages unless
# given): ambertap-VERSION-win32.zip and ambertap-VERSION-win64.zip, each with
# ambertap.exe and a read-me for Windows users, and SHA256SUMS, which lists
# both as sha256sum writes it.
#
#   scripts/package-windows.sh [FOLDER]
#   scripts/package-windows.sh --from-trees TREES FOLDER
#
# The archives are built from the commit alone, so that anyone who builds it
# gets the same bytes: the build date in the banner (GCC's __DATE__) and the
# times of the zip entries are the last commit's time (SOURCE_DATE_EPOCH,
# unless the caller sets it), the entries' times written in UTC and the
# entries in an order of the project's own, the linker writes no time stamp,
# the programs carry no symbols, and the entries' owner is root. Each build has
# a tree of its own, FOLDER/mingw-x86 and FOLDER/mingw-x64, without the
# Windows tests.
#
# With --from-trees, the programs come from the trees TREES/mingw-x86 and
# TREES/mingw-x64 instead, such as the Windows test trees in build/: each is
# configured as a release tree and brought up to date first, which builds
# nothing when scripts/test-windows.sh built it from the same commit.
set -euo pipefail
cd "$(dirname "$0")/.."

trees=
if [ "${1:-}" = --from-trees ]; then
    if [ $# -ne 3 ]; then
        echo "Use: scripts/package-windows.sh --from-trees TREES FOLDER" >&2
        exit 2
    fi
    trees=$2
    shift 2
fi

scripts/install-deps.sh mingw
source packaging/release_tree.sh

folder=${1:-build/packages}
# A zip entry records its file's owner: anyone but root packs as root of a
# user namespace of its own, so that the owner is root's 0 for everyone.
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(unshare --map-root-user)
fi

mkdir -p "$folder"
rm -f "$folder"/*.zip "$folder/SHA256SUMS"
for preset in mingw-x86 mingw-x64; do
    if [ -n "$trees" ]; then
        tree=$trees/$preset
        configure_release_tree "$preset" "$tree"
    else
        tree=$folder/$preset
        configure_release_tree "$preset" "$tree" -D AMBERTAP_WINDOWS_TESTS=OFF
    fi
    cmake --build "$tree"
    "${as_root[@]}" cmake -D "CONFIG=$tree/CPackConfig.cmake" -D "FOLDER=$folder" \
        -P packaging/make_archive.cmake
done
(cd "$folder" && sha256sum -- *.zip >SHA256SUMS && cat SHA256SUMS)
