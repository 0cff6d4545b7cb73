#!/usr/bin/env bash
# The Windows stage: installs what is missing, cross-builds ambertap.exe,
# ambertrace.exe, the stand-in trace driver and the test programs with
# MinGW-w64 for 64-bit and 32-bit Windows, and runs the end-to-end tests under
# Wine on three machines (win64, xp32, wow64), the PE header and import
# checks, and the release archive checks.
#
#   scripts/test-windows.sh [STEP] [PRESET...]
#     STEP    all (both steps below, the default), build (install what is
#             missing and build the trees) or cases (run the cases of the
#             trees, built before)
#     PRESET  mingw-x64, mingw-x86: the trees to take (default: both)
set -euo pipefail
cd "$(dirname "$0")/.."
source packaging/release_tree.sh

presets=(mingw-x64 mingw-x86)

# Each tree builds all that its cases need: the 32-bit one builds the 64-bit
# driver of its wow64 machine too. The programs are built as the release
# builds them, so that the cases run what ships.
build_trees() {
    scripts/install-deps.sh windows
    for preset in "${presets[@]}"; do
        configure_release_tree "$preset" "build/$preset"
        cmake --build --preset "$preset"
    done
}

# Both trees' cases at once, and within each tree its machines side by side
# (the test presets' jobs). Each tree's output goes into a log of its own,
# shown whole once the tree is done; both trees run whatever the other's
# outcome.
run_cases() {
    local logs=build/windows-logs preset status failed=()
    local -A pid_of=()
    mkdir -p "$logs"
    for preset in "${presets[@]}"; do
        ctest --preset "$preset" >"$logs/$preset.log" 2>&1 &
        pid_of[$preset]=$!
    done
    for preset in "${presets[@]}"; do
        status=0
        wait "${pid_of[$preset]}" || status=$?
        echo "== $preset"
        cat "$logs/$preset.log"
        if ((status != 0)); then
            failed+=("$preset")
        fi
    done
    if ((${#failed[@]} > 0)); then
        echo "Windows tests failed: ${failed[*]}" >&2
        return 1
    fi
}

step=${1:-all}
case $step in
build | cases | all) ;;
*)
    echo "Use: scripts/test-windows.sh [build|cases|all] [mingw-x64|mingw-x86]..." >&2
    exit 2
    ;;
esac
if (($# > 1)); then
    presets=("${@:2}")
fi
for preset in "${presets[@]}"; do
    case $preset in
    mingw-x64 | mingw-x86) ;;
    *)
        echo "test-windows: not a Windows preset: $preset" >&2
        exit 2
        ;;
    esac
done
started=$SECONDS
if [ "$step" != cases ]; then
    build_trees
fi
status=0
if [ "$step" != build ]; then
    run_cases || status=$?
fi
echo "Windows stage ($step): $((SECONDS - started)) s"
exit "$status"
