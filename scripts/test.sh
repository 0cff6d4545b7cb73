#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the unit, golden
# and process tests under AddressSanitizer and UndefinedBehaviorSanitizer, the
# fuzzers for a bounded time, the Windows build end to end under Wine, and the
# release archives, built twice from the commit, byte for byte alike.
#
# Each stage installs its own packages first. A stage whose packages cannot
# be installed says so at once and counts as failed; the other stages still
# run, and the run ends non-zero if any stage failed.
set -uo pipefail
cd "$(dirname "$0")/.." || exit

failed=()

# stage TITLE COMMAND...: runs one stage, noting its title if it fails.
stage() {
    local title=$1
    shift
    echo "== $title"
    "$@" || failed+=("$title")
}

sanitized_tests() {
    scripts/install-deps.sh native &&
        cmake --preset sanitize >/dev/null &&
        cmake --build --preset sanitize &&
        ctest --preset sanitize
}

release_archives_twice() {
    local started=$SECONDS twice=build/release-twice
    rm -rf "$twice"
    # The two builds run in time zones 26 hours apart, neither of them UTC
    # (UTC-12 and UTC+14, written so as to need no tzdata), whatever the
    # caller's, and the second lists every folder in reverse, so that an
    # archive that depends on either differs for every caller.
    TZ='<-12>12' scripts/package-windows.sh "$twice/first" || return
    cc -shared -fPIC -o "$twice/reversed_listing.so" tests/support/reversed_listing_shim.c -ldl &&
        TZ='<+14>-14' LD_PRELOAD=$PWD/$twice/reversed_listing.so \
            scripts/package-windows.sh "$twice/second" &&
        sh packaging/compare_releases.sh "$twice/first" "$twice/second" || return
    echo "Release archives twice: $((SECONDS - started)) s"
}

stage "Unit, golden and process tests (sanitizers)" sanitized_tests
stage "Fuzzers" scripts/fuzz.sh
stage "Windows build under Wine" scripts/test-windows.sh
stage "Reports in a browser" scripts/test-browser.sh
stage "Release archives, built twice and compared byte for byte" release_archives_twice

if ((${#failed[@]} > 0)); then
    printf 'Failed: %s\n' "${failed[@]}" >&2
    exit 1
fi
