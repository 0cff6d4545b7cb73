#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the unit, golden
# and process tests under AddressSanitizer and UndefinedBehaviorSanitizer, the
# fuzzers for a bounded time, and the Windows build end to end under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh native fuzz windows

echo "== Unit, golden and process tests (sanitizers)"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize

echo "== Fuzzers"
scripts/fuzz.sh

echo "== Windows build under Wine"
scripts/test-windows.sh
