#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the unit, golden
# and process tests under AddressSanitizer and UndefinedBehaviorSanitizer, the
# fuzzers for a bounded time, the Windows build end to end under Wine, and the
# release archives, built twice from the commit, byte for byte alike.
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

echo "== Release archives, built twice and compared byte for byte"
started=$SECONDS
twice=build/release-twice
rm -rf "$twice"
scripts/package-windows.sh "$twice/first"
# The second build packs in another time zone (Kiritimati's, UTC+14, needing
# no tzdata) with every folder listed in reverse, so that an archive that
# depends on either differs.
cc -shared -fPIC -o "$twice/reversed_listing.so" tests/support/reversed_listing_shim.c -ldl
TZ='<+14>-14' LD_PRELOAD=$PWD/$twice/reversed_listing.so scripts/package-windows.sh "$twice/second"
sh packaging/compare_releases.sh "$twice/first" "$twice/second"
echo "Release archives twice: $((SECONDS - started)) s"
