#!/usr/bin/env bash
# Builds the fuzzers with clang (the fuzz preset) and runs each for a bounded
# time, starting from its seed corpus in fuzz/corpus/. Prints the executions
# per fuzzer and fails if any fuzzer finds an input that crashes or breaks a
# checked property; that input is left in build/fuzz/artifacts/<fuzzer>/.
#
# Usage: scripts/fuzz.sh [SECONDS_PER_FUZZER] [FUZZER...]
#   SECONDS_PER_FUZZER  default 20, so the five fuzzers take about two minutes
#   FUZZER              trace_walker, message_line, option_parser, trace_input, ladder (default: all)
#
# Reproduce a finding:  build/fuzz/fuzz/<fuzzer>_fuzzer build/fuzz/artifacts/<fuzzer>/crash-...
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
shift || true
fuzzers=("$@")
if ((${#fuzzers[@]} == 0)); then
    fuzzers=(trace_walker message_line option_parser trace_input ladder)
fi

"$root/scripts/install-deps.sh" native fuzz

build="$root/build/fuzz"
cmake --preset fuzz -S "$root" -B "$build" >/dev/null
targets=()
for fuzzer in "${fuzzers[@]}"; do
    targets+=("${fuzzer}_fuzzer")
done
cmake --build "$build" --target "${targets[@]}"

# The longest input that can reach each fuzzer's code: a full trace buffer for
# the walker; a message and its room, or a command line, for the next two; for
# the trace input, its three bytes of choices and more than the first read that
# tells an input's form (4096 bytes), which also fills blocks of the smallest
# room several times as bare records and twice as hex text. Every path of a
# trace file lies in its first bytes; a longer input only costs more.
max_len_of() {
    case "$1" in
        trace_walker) echo 10000 ;;
        message_line) echo 4096 ;;
        option_parser) echo 512 ;;
        trace_input) echo 4608 ;;
        ladder) echo 2048 ;;
        *) echo "unknown fuzzer: $1" >&2; exit 2 ;;
    esac
}

# The input reader's fuzzer takes every input through the reader and a group
# of views, the dearest runs of the five: in the test command, where the other
# stages keep both cores busy, it waited for them and made some 300 runs a
# second where it makes 10,000 alone. As root it runs before them (niceness
# -10), so that its seconds are the processor's; the others take what the
# machine leaves them, which keeps the test command within its 10 minutes.
priority_of() {
    if [[ $1 == trace_input ]] && ((EUID == 0)); then
        echo nice -n -10
    fi
}

failed=()
summary=()
for fuzzer in "${fuzzers[@]}"; do
    corpus="$build/corpus/$fuzzer"
    artifacts="$build/artifacts/$fuzzer"
    log="$build/logs/$fuzzer.log"
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    # The working corpus grows here between runs; the seeds stay as they are.
    cp "$root/fuzz/corpus/$fuzzer/"* "$corpus/"
    if [[ $fuzzer == trace_walker ]]; then
        for trace in "$root"/tests/golden/cases/*.bin; do
            cp "$trace" "$corpus/golden_$(basename "$trace")"
        done
    fi
    # The input reader's first two bytes choose how it reads the rest, the
    # third the views it goes through: each of the three groups gets each trace.
    if [[ $fuzzer == trace_input ]]; then
        for trace in "$root"/tests/golden/cases/*.bin "$root"/tests/message/cases/*.bin \
            "$root"/samples/*.hex; do
            for group in 0 1 2; do
                { printf '\0\0%b' "\\0$group"; cat "$trace"; } >"$corpus/golden_${group}_$(basename "$trace")"
            done
        done
    fi

    echo "== $fuzzer: ${seconds}s"
    status=0
    read -ra priority <<<"$(priority_of "$fuzzer")"
    "${priority[@]}" "$build/fuzz/${fuzzer}_fuzzer" -max_total_time="$seconds" \
        -max_len="$(max_len_of "$fuzzer")" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1 || status=$?

    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [[ -z $executions ]]; then
        executions=$(grep -aoE '^#[0-9]+' "$log" | tail -1 | tr -d '#')
    fi
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    if ((status == 0)); then
        summary+=("$(printf '%-14s %12s executions, %6s a second  ok' "$fuzzer" "${executions:-0}" \
            "${rate:-?}")")
    else
        failed+=("$fuzzer")
        summary+=("$(printf '%-14s %12s executions, %6s a second  FAILED' "$fuzzer" \
            "${executions:-0}" "${rate:-?}")")
        grep -aE 'breaks|ERROR:|SUMMARY:|Test unit written' "$log" | head -8 || true
        echo "   full log: $log"
    fi
done

echo "== fuzzing summary (${seconds}s per fuzzer)"
printf '%s\n' "${summary[@]}"
if ((${#failed[@]} > 0)); then
    echo "Findings in: ${failed[*]}; inputs in $build/artifacts/" >&2
    exit 1
fi
