#!/usr/bin/env bash
# Builds both Windows release archives into build/packages/:
# ambertap-VERSION-win32.zip and ambertap-VERSION-win64.zip, each with
# ambertap.exe and a read-me for Windows users.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh windows

for preset in mingw-x86 mingw-x64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    cpack --preset "$preset" >/dev/null
done
ls build/packages/*.zip
