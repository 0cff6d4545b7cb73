#!/bin/sh
# One end-to-end case of ambertap.exe under Wine. Each argument is one step,
# its words separated by spaces, run in order:
#
#   control ARG...         stand_in_control.exe ARG... (load FILE...: the
#                          listings FILE of the source tree)
#   run EXIT OUT ERR ARG...
#                          ambertap.exe ARG...; its exit code must be EXIT, its
#                          standard output and error the files OUT and ERR
#                          ("-" for nothing)
#   run-shared EXIT OUT ARG...
#                          ambertap.exe ARG... with standard output and error
#                          into one file, which must read as the file OUT
#   run-unwritable full|closed EXIT ERR ARG...
#                          ambertap.exe ARG... with standard output on a device
#                          that refuses every write (/dev/full) or closed; its
#                          exit code must be EXIT, its standard error the file ERR
#   version PROGRAM OUT    version_info.exe on PROGRAM.exe (ambertap or
#                          ambertrace); its output must be the file OUT
#   trace EXIT OUT ERR ARG...
#                          ambertrace.exe ARG..., as `run` (ERR "any": not
#                          compared), in the case's own folder, where files
#                          that it saves stay until the case ends
#   trace-to FILE EXIT ARG...
#                          ambertrace.exe ARG... with standard output, as it is
#                          written, into FILE in the case's folder
#   trace-from FILE EXIT OUT ERR ARG...
#                          ambertrace.exe ARG... with FILE of the case's folder
#                          as standard input, as `trace`
#   copy FILE NAME         FILE of the source tree into the case's folder as NAME
#   to-crlf NAME NEW       NAME of the case's folder with every LF turned into
#                          CR LF, as a text-mode transfer leaves it, as NEW
#   cut NAME NEW           NAME of the case's folder without its last byte, as NEW
#   file-exists NAME       NAME, as UTF-8, is a file of the case's folder
#   same-bytes FILE NAME   NAME of the case's folder holds the bytes of FILE,
#                          line ends and all
#   empty-folder NAME      the folder NAME of the case's folder holds nothing
#   trace-to-full EXIT ERR ARG...
#                          ambertrace.exe ARG... with standard output on a device
#                          that refuses every write (/dev/full), as `trace`
#   trace-times COUNT EXIT OUT ERR ARG...
#                          as `trace`, with OUT COUNT times over the expected
#                          standard output
#   fed-session SCENARIO   tests/device/fed_session.sh SCENARIO in the case's
#                          folder, with ambertrace.exe, ambertap.exe and the
#                          stand-in's feed under Wine; it must succeed
#   mount OPTIONS FOLDER   a file system of its own (tmpfs with OPTIONS) on
#                          FOLDER of the case's folder, until the case ends;
#                          needs root: otherwise the case is skipped (exit 77)
#
# Files are named relative to the source tree.
#
# The programs, the source tree and the Wine session come from the
# environment: AMBERTAP_EXE, AMBERTRACE_EXE, STAND_IN_CONTROL_EXE,
# VERSION_INFO_EXE, SOURCE_DIR, WINE_SESSION_PREFIX. Lines are compared
# without their closing CR, and the build date in the banner is compared as
# "(DATE)". Arguments are UTF-8 text, which Wine turns into the programs'
# Unicode command lines.
#
# STAND_IN_DRIVER=1 marks a case that uses the session's stand-in driver: its
# first control or run step must be "control load", which also disarms
# whatever an earlier case armed, so that no case depends on the one before
# it (an ambertrace step that reads the driver belongs after the load too).
set -eu
export LC_ALL=C.UTF-8
# Steps are split into words; none of them is a file pattern.
set -f

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
mkdir "$work/files"
mounts=
finish() {
    for folder in $mounts; do
        umount "$folder"
    done
    rm -rf "$work"
}
trap finish EXIT
failures=0

in_session() {
    sh "$here/wine_session.sh" "$WINE_SESSION_PREFIX" exec "$@"
}

expected_file() {
    if [ "$1" = any ]; then
        echo any
    elif [ "$1" = - ]; then
        echo /dev/null
    elif [ "${1#/}" != "$1" ]; then
        echo "$1"
    else
        echo "$SOURCE_DIR/$1"
    fi
}

# Compares one stream; a difference is shown and counted, the case goes on.
compare() {
    label=$1
    expected=$2
    actual=$3
    if [ "$expected" = any ]; then
        return
    fi
    if ! diff -u --label "expected $label" --label "actual $label" "$expected" "$actual" >&2; then
        failures=$((failures + 1))
    fi
}

# Text mode ends lines in CR LF; a CR inside a line is the program's output.
without_cr() {
    sed 's/\r$//' "$1"
}

banner_date_as_placeholder() {
    sed '1s/^\(Ambertap Version [^ ]* (\)[A-Z][a-z][a-z] [ 0-9][0-9] [0-9]\{4\})/\1DATE)/'
}

check_exit() {
    if [ "$2" -ne "$1" ]; then
        echo "exit code: expected $1, got $2" >&2
        failures=$((failures + 1))
    fi
}

step_control() {
    if [ "$1" = load ]; then
        shift
        listings=
        for listing in "$@"; do
            listings="$listings $SOURCE_DIR/$listing"
        done
        # The listings' names are split on purpose.
        # shellcheck disable=SC2086
        in_session "$STAND_IN_CONTROL_EXE" load $listings
    else
        in_session "$STAND_IN_CONTROL_EXE" "$@"
    fi
}

step_run() {
    expected_exit=$1
    expected_stdout=$(expected_file "$2")
    expected_stderr=$(expected_file "$3")
    shift 3
    echo "run: ambertap.exe $*" >&2
    status=0
    in_session "$AMBERTAP_EXE" "$@" >"$work/raw.stdout" 2>"$work/raw.stderr" || status=$?
    without_cr "$work/raw.stdout" >"$work/stdout"
    without_cr "$work/raw.stderr" | banner_date_as_placeholder >"$work/stderr"
    compare "standard output" "$expected_stdout" "$work/stdout"
    compare "standard error" "$expected_stderr" "$work/stderr"
    check_exit "$expected_exit" "$status"
}

step_run_shared() {
    expected_exit=$1
    expected_output=$(expected_file "$2")
    shift 2
    echo "run-shared: ambertap.exe $*" >&2
    status=0
    in_session "$AMBERTAP_EXE" "$@" >"$work/raw.output" 2>&1 || status=$?
    without_cr "$work/raw.output" | banner_date_as_placeholder >"$work/output"
    compare "shared output" "$expected_output" "$work/output"
    check_exit "$expected_exit" "$status"
}

step_run_unwritable() {
    where=$1
    expected_exit=$2
    expected_stderr=$(expected_file "$3")
    shift 3
    echo "run-unwritable $where: ambertap.exe $*" >&2
    status=0
    case $where in
    full) in_session "$AMBERTAP_EXE" "$@" >/dev/full 2>"$work/raw.stderr" || status=$? ;;
    closed) in_session "$AMBERTAP_EXE" "$@" >&- 2>"$work/raw.stderr" || status=$? ;;
    *)
        echo "run_case: not full or closed: $where" >&2
        exit 2
        ;;
    esac
    without_cr "$work/raw.stderr" | banner_date_as_placeholder >"$work/stderr"
    compare "standard error" "$expected_stderr" "$work/stderr"
    check_exit "$expected_exit" "$status"
}

step_version() {
    case $1 in
    ambertap) program=$AMBERTAP_EXE ;;
    ambertrace) program=$AMBERTRACE_EXE ;;
    *)
        echo "run_case: no such program: $1" >&2
        exit 2
        ;;
    esac
    status=0
    # Run beside the program so that its plain file name reaches it.
    (cd "$(dirname "$program")" &&
        in_session "$VERSION_INFO_EXE" "$(basename "$program")") >"$work/raw.stdout" ||
        status=$?
    without_cr "$work/raw.stdout" >"$work/stdout"
    compare "version resource" "$(expected_file "$2")" "$work/stdout"
    if [ "$status" -ne 0 ]; then
        echo "version_info.exe: exit code $status" >&2
        failures=$((failures + 1))
    fi
}

# ambertrace.exe ARG... in the case's folder, its streams into raw files.
trace_in_folder() {
    (cd "$work/files" && in_session "$AMBERTRACE_EXE" "$@")
}

compare_trace_streams() {
    without_cr "$work/raw.stdout" >"$work/stdout"
    without_cr "$work/raw.stderr" >"$work/stderr"
    compare "standard output" "$1" "$work/stdout"
    compare "standard error" "$2" "$work/stderr"
}

step_trace() {
    expected_exit=$1
    expected_stdout=$(expected_file "$2")
    expected_stderr=$(expected_file "$3")
    shift 3
    echo "trace: ambertrace.exe $*" >&2
    status=0
    trace_in_folder "$@" >"$work/raw.stdout" 2>"$work/raw.stderr" || status=$?
    compare_trace_streams "$expected_stdout" "$expected_stderr"
    check_exit "$expected_exit" "$status"
}

step_trace_times() {
    count=$1
    expected=$(expected_file "$3")
    : >"$work/times.stdout"
    while [ "$count" -gt 0 ]; do
        cat "$expected" >>"$work/times.stdout"
        count=$((count - 1))
    done
    expected_exit=$2
    expected_stderr=$4
    shift 4
    step_trace "$expected_exit" "$work/times.stdout" "$expected_stderr" "$@"
}

step_fed_session() {
    echo "fed-session: $1" >&2
    session="sh $here/wine_session.sh $WINE_SESSION_PREFIX exec"
    if ! (cd "$work/files" &&
        AMBERTRACE="$session $AMBERTRACE_EXE" AMBERTAP="$session $AMBERTAP_EXE" \
            FEED="$session $STAND_IN_CONTROL_EXE feed" SAMPLES="$SOURCE_DIR/samples" \
            SIGNAL="sh $here/signal_program.sh" \
            sh "$SOURCE_DIR/tests/device/fed_session.sh" "$@"); then
        failures=$((failures + 1))
    fi
}

step_trace_to() {
    file=$1
    expected_exit=$2
    shift 2
    echo "trace-to $file: ambertrace.exe $*" >&2
    status=0
    trace_in_folder "$@" >"$work/files/$file" || status=$?
    check_exit "$expected_exit" "$status"
}

step_trace_from() {
    file=$1
    expected_exit=$2
    expected_stdout=$(expected_file "$3")
    expected_stderr=$(expected_file "$4")
    shift 4
    echo "trace-from $file: ambertrace.exe $*" >&2
    status=0
    trace_in_folder "$@" <"$work/files/$file" >"$work/raw.stdout" 2>"$work/raw.stderr" ||
        status=$?
    compare_trace_streams "$expected_stdout" "$expected_stderr"
    check_exit "$expected_exit" "$status"
}

step_copy() {
    cp "$SOURCE_DIR/$1" "$work/files/$2"
}

step_to_crlf() {
    sed 's/$/\r/' "$work/files/$1" >"$work/files/$2"
}

step_cut() {
    head -c -1 "$work/files/$1" >"$work/files/$2"
}

step_file_exists() {
    if [ ! -f "$work/files/$1" ]; then
        echo "no file $1 in the case's folder: $(ls "$work/files")" >&2
        failures=$((failures + 1))
    fi
}

step_same_bytes() {
    if ! cmp "$SOURCE_DIR/$1" "$work/files/$2" >&2; then
        failures=$((failures + 1))
    fi
}

step_empty_folder() {
    left=$(ls -A "$work/files/$1")
    if [ -n "$left" ]; then
        echo "left in $1: $left" >&2
        failures=$((failures + 1))
    fi
}

step_trace_to_full() {
    expected_exit=$1
    expected_stderr=$(expected_file "$2")
    shift 2
    echo "trace-to-full: ambertrace.exe $*" >&2
    status=0
    trace_in_folder "$@" >/dev/full 2>"$work/raw.stderr" || status=$?
    : >"$work/raw.stdout"
    compare_trace_streams /dev/null "$expected_stderr"
    check_exit "$expected_exit" "$status"
}

# Mounted where the Wine server sees it too: it opens the files for the program.
step_mount() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "run_case: mounting a file system needs root: case skipped" >&2
        exit 77
    fi
    mkdir -p "$work/files/$2"
    mount -t tmpfs -o "$1" tmpfs "$work/files/$2"
    mounts="$mounts $work/files/$2"
}

# The first step of a driver case that reaches the driver loads its trace.
check_load_comes_first() {
    for step in "$@"; do
        # shellcheck disable=SC2086
        set -- $step
        case $1 in
        control) [ "$2" = load ] && return ;;
        run | run-shared | run-unwritable) ;;
        *) continue ;;
        esac
        echo "run_case: a case that uses the driver loads a trace first, before: $step" >&2
        exit 2
    done
}

if [ "${STAND_IN_DRIVER:-}" = 1 ]; then
    check_load_comes_first "$@"
fi

for step in "$@"; do
    # A step's words are split on purpose.
    # shellcheck disable=SC2086
    set -- $step
    kind=$1
    shift
    case $kind in
    control) step_control "$@" ;;
    run) step_run "$@" ;;
    run-shared) step_run_shared "$@" ;;
    run-unwritable) step_run_unwritable "$@" ;;
    version) step_version "$@" ;;
    trace) step_trace "$@" ;;
    trace-to) step_trace_to "$@" ;;
    trace-times) step_trace_times "$@" ;;
    fed-session) step_fed_session "$@" ;;
    trace-from) step_trace_from "$@" ;;
    mount) step_mount "$@" ;;
    trace-to-full) step_trace_to_full "$@" ;;
    copy) step_copy "$@" ;;
    to-crlf) step_to_crlf "$@" ;;
    cut) step_cut "$@" ;;
    file-exists) step_file_exists "$@" ;;
    same-bytes) step_same_bytes "$@" ;;
    empty-folder) step_empty_folder "$@" ;;
    *)
        echo "run_case: unknown step: $step" >&2
        exit 2
        ;;
    esac
done

[ "$failures" -eq 0 ]
