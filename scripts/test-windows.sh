#!/usr/bin/env bash
# The Windows stage: installs what is missing, cross-builds ambertap.exe, the
# stand-in trace driver and the test programs with MinGW-w64, and runs the
# end-to-end tests under Wine in a fresh prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

scripts/install-deps.sh windows
if ! command -v cmake >/dev/null || ! command -v ninja >/dev/null; then
    echo "Installing: cmake ninja-build"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq cmake ninja-build >/dev/null
fi

cmake --preset mingw >/dev/null
cmake --build --preset mingw
ctest --test-dir build/mingw -L windows --output-on-failure

echo "Windows stage: $((SECONDS - started)) s"
