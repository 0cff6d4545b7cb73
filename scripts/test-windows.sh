#!/usr/bin/env bash
# The Windows stage: installs what is missing, cross-builds ambertap.exe, the
# stand-in trace driver and the test programs with MinGW-w64, and runs the
# end-to-end tests under Wine in a fresh prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

scripts/install-deps.sh windows

cmake --preset mingw >/dev/null
cmake --build --preset mingw
ctest --test-dir build/mingw -L windows --output-on-failure

echo "Windows stage: $((SECONDS - started)) s"
