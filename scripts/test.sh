#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the unit, golden
# and process tests under AddressSanitizer and UndefinedBehaviorSanitizer, the
# fuzzers for a bounded time, the Windows build end to end under Wine, and the
# release archives, built twice from the commit, byte for byte alike, and the
# test reports as headless Chromium renders them.
#
# The stages run side by side. Their packages come first, one stage's after
# the other, since apt installs one set at a time, and each stage starts as
# soon as its own are in. Each stage writes into a log of its own in
# build/test-logs/, shown whole with the stage's time when the stage ends.
# A stage whose packages cannot be installed says so at once and counts as
# failed; the other stages still run, and the run ends non-zero, naming each
# stage that failed, if any did.
set -uo pipefail
cd "$(dirname "$0")/.." || exit

logs=build/test-logs
twice=build/release-twice
rm -rf "$logs" "$twice" && mkdir -p "$logs" || exit
started=$SECONDS
stages=()
failed=()
declare -A title_of=() outcome=() pid_of=()

# launch STAGE TITLE COMMAND...: starts a stage in the background, its output
# into its log; its time and then its exit code go into files beside it.
launch() {
    local stage=$1 title=$2
    shift 2
    stages+=("$stage")
    title_of[$stage]=$title
    echo "== $title: started at $((SECONDS - started)) s"
    {
        begun=$SECONDS
        "$@"
        status=$?
        # The stage's processes' own times, which the shell holds once it has
        # waited for them: a builtin's redirection, so as not to fork.
        times >"$logs/$stage.times"
        echo $((SECONDS - begun)) >"$logs/$stage.seconds"
        echo $status >"$logs/$stage.status.new" && mv "$logs/$stage.status.new" "$logs/$stage.status"
    } >"$logs/$stage.log" 2>&1 &
    pid_of[$stage]=$!
}

# The processor seconds, user and system, that the processes a stage waited
# for took (the second line of `times`), or "?" when none were recorded.
processor_seconds() {
    awk 'NR == 2 {
        split($1, user, "m"); split($2, kernel, "m")
        printf "%d", user[1] * 60 + user[2] + kernel[1] * 60 + kernel[2]; found = 1
    } END { if (!found) printf "?" }' "$logs/$1.times" 2>/dev/null || printf '?'
}

# not_run STAGE TITLE: a stage whose packages could not be installed.
not_run() {
    stages+=("$1")
    title_of[$1]=$2
    outcome[$1]="NOT RUN"
    failed+=("$2")
    echo 0 >"$logs/$1.seconds"
}

# Shows each stage's log whole as the stage ends, then one line a stage.
wait_for_stages() {
    local stage running=1
    while ((running)); do
        running=0
        for stage in "${stages[@]}"; do
            if [ -n "${outcome[$stage]:-}" ]; then
                continue
            elif [ ! -f "$logs/$stage.status" ]; then
                if kill -0 "${pid_of[$stage]}" 2>/dev/null; then
                    running=1
                    continue
                fi
                # Gone: its status is there now, or it was killed before it could write one.
                if [ ! -f "$logs/$stage.status" ]; then
                    echo killed >"$logs/$stage.status"
                    echo "?" >"$logs/$stage.seconds"
                fi
            fi
            outcome[$stage]=passed
            if [ "$(cat "$logs/$stage.status")" != 0 ]; then
                outcome[$stage]=FAILED
                failed+=("${title_of[$stage]}")
            fi
            echo "== ${title_of[$stage]}: ${outcome[$stage]} in $(cat "$logs/$stage.seconds") s"
            cat "$logs/$stage.log"
        done
        if ((running)); then
            sleep 1
        fi
    done
    wait
    echo "== Stages (all in $((SECONDS - started)) s; logs in $logs/)"
    for stage in "${stages[@]}"; do
        printf '%-8s %4s s  %5s processor s  %s\n' "${outcome[$stage]}" \
            "$(cat "$logs/$stage.seconds")" "$(processor_seconds "$stage")" "${title_of[$stage]}"
    done
}

# The browser stage builds nothing of its own: it waits for this tree, then
# runs its programs beside the tests.
sanitized_tests() {
    local built=1
    cmake --preset sanitize >/dev/null && cmake --build --preset sanitize && built=0
    echo $built >"$logs/sanitize-built.status"
    ((built == 0)) && ctest --preset sanitize
}

browser_tests() {
    while [ ! -f "$logs/sanitize-built.status" ]; do
        if ! kill -0 "${pid_of[sanitizers]}" 2>/dev/null && [ ! -f "$logs/sanitize-built.status" ]; then
            echo "The sanitizers' stage ended before its tree was built." >&2
            return 1
        fi
        sleep 1
    done
    if [ "$(cat "$logs/sanitize-built.status")" != 0 ]; then
        echo "The sanitizers' tree did not build: see its stage." >&2
        return 1
    fi
    scripts/test-browser.sh
}

# The Windows test trees are built as the release builds its programs, in the
# first of the two time zones below, so that the first archives are packed
# from them (the second build proves them alike) before their cases run.
# Measured: starting the 32-bit tree's cases as soon as that tree was built
# made them slower, run beside the builds, and the whole longer.
windows_tests() {
    local packed=1
    TZ='<-12>12' scripts/test-windows.sh build || {
        echo 1 >"$logs/first-archives.status"
        return 1
    }
    TZ='<-12>12' scripts/package-windows.sh --from-trees build "$twice/first" \
        >"$logs/first-archives.log" 2>&1 && packed=0
    echo $packed >"$logs/first-archives.status"
    scripts/test-windows.sh cases
}

# Waits until the Windows stage has packed the first archives, or could not,
# or has ended without a word.
first_archives_packed() {
    while [ ! -f "$logs/first-archives.status" ]; do
        if ! kill -0 "${pid_of[windows]}" 2>/dev/null && [ ! -f "$logs/first-archives.status" ]; then
            return 1
        fi
        sleep 1
    done
    cat "$logs/first-archives.log" 2>/dev/null
    [ "$(cat "$logs/first-archives.status")" = 0 ]
}

# The two builds run in time zones 26 hours apart, neither of them UTC
# (UTC-12 and UTC+14, written so as to need no tzdata), whatever the caller's,
# and the second lists every folder in reverse, so that an archive that
# depends on either differs for every caller. The second is built on its own,
# at a lower priority than the stages that wait for the processor; the first
# comes from the Windows stage's trees, or is built here when there are none.
release_archives_twice() {
    local windows_trees=$1
    mkdir -p "$twice" &&
        cc -shared -fPIC -o "$twice/reversed_listing.so" tests/support/reversed_listing_shim.c -ldl &&
        TZ='<+14>-14' LD_PRELOAD=$PWD/$twice/reversed_listing.so \
            nice -n 10 scripts/package-windows.sh "$twice/second" || return
    if [ "$windows_trees" != yes ] || ! first_archives_packed; then
        echo "The first archives are built on their own."
        TZ='<-12>12' scripts/package-windows.sh "$twice/first" || return
    fi
    sh packaging/compare_releases.sh "$twice/first" "$twice/second"
}

sanitizers="Unit, golden and process tests (sanitizers)"
fuzzers="Fuzzers"
windows="Windows build under Wine"
releases="Release archives, built twice and compared byte for byte"
browser="Reports in a browser"

native=no
if scripts/install-deps.sh native; then
    native=yes
    launch sanitizers "$sanitizers" sanitized_tests
else
    not_run sanitizers "$sanitizers"
fi
if scripts/install-deps.sh windows; then
    launch windows "$windows" windows_tests
    launch releases "$releases" release_archives_twice yes
else
    not_run windows "$windows"
    if scripts/install-deps.sh mingw; then
        launch releases "$releases" release_archives_twice no
    else
        not_run releases "$releases"
    fi
fi
if [ "$native" = yes ] && scripts/install-deps.sh fuzz; then
    launch fuzzers "$fuzzers" scripts/fuzz.sh
else
    not_run fuzzers "$fuzzers"
fi
if [ "$native" = yes ] && scripts/install-deps.sh browser; then
    launch browser "$browser" browser_tests
else
    not_run browser "$browser"
fi
wait_for_stages

if ((${#failed[@]} > 0)); then
    printf 'Failed: %s\n' "${failed[@]}" >&2
    exit 1
fi
