#!/usr/bin/env bash
# The Windows stage: installs what is missing, cross-builds ambertap.exe, the
# stand-in trace driver and the test programs with MinGW-w64 for 64-bit and
# 32-bit Windows, and runs the end-to-end tests under Wine on three machines
# (win64, xp32, wow64), the PE header and import checks, and the release
# archive checks.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

scripts/install-deps.sh windows

# Each tree builds all that its cases need: the 32-bit one builds the 64-bit
# driver of its wow64 machine too.
presets=(mingw-x64 mingw-x86)
for preset in "${presets[@]}"; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

# Both builds' cases run, whatever the first one's outcome.
failed=()
for preset in "${presets[@]}"; do
    ctest --preset "$preset" || failed+=("$preset")
done

echo "Windows stage: $((SECONDS - started)) s"
if ((${#failed[@]} > 0)); then
    echo "Windows tests failed: ${failed[*]}" >&2
    exit 1
fi
