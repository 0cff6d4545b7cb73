# shellcheck shell=bash
# How a Windows build tree is configured so that it builds the release
# programs byte for byte; sourced by scripts/package-windows.sh, which packs
# them, and by scripts/test-windows.sh, whose cases run them, so that what the
# cases run is what ships.
#
# SOURCE_DATE_EPOCH, exported: the caller's, or the last commit's time. It is
# the build date in the banner (GCC's __DATE__) and the zip entries' time.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    if ! SOURCE_DATE_EPOCH=$(git log -1 --format=%ct); then
        echo "release_tree: no commit to take the build date from; set SOURCE_DATE_EPOCH" >&2
        exit 1
    fi
fi
export SOURCE_DATE_EPOCH

# configure_release_tree PRESET TREE [CMAKE_ARGUMENT...]
# The epoch is on every compile command line, so that objects compiled
# without it, or with another, are compiled anew, and a tree built before
# from the same commit is not built again.
configure_release_tree() {
    local preset=$1 tree=$2
    shift 2
    cmake --preset "$preset" -B "$tree" \
        -D "CMAKE_CXX_COMPILER_LAUNCHER=$(command -v cmake);-E;env;SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH" \
        "$@" >/dev/null
}
