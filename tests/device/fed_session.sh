#!/bin/sh
# One fed session of `ambertrace record` against a stand-in trace driver, the
# same on Linux and on every Windows machine: the stand-in is fed the records
# of the sample calls one by one while the capture runs, then the capture is
# shown and held against what was fed. Runs in the current folder and prints
# nothing unless something is wrong (then exit 1), with:
#
#   AMBERTRACE  the command that runs ambertrace (its words are split)
#   AMBERTAP    the command that runs ambertap
#   FEED        the command that feeds the stand-in: FEED RATE LISTING...
#               appends the records of each LISTING to its trace, RATE records
#               a second, and returns once all are fed
#   SAMPLES     the folder of the sample calls
#   SIGNAL      the command that signals the capture: SIGNAL SIG PID, where
#               PID is the background process that runs AMBERTRACE (kill -SIG
#               PID when unset)
#
#   fed_session.sh stopped    the four sample calls, the capture stopped by
#                             Ctrl-C (SIGINT, which a shell ignores for a
#                             program it starts in the background): every
#                             line once, in order
#   fed_session.sh signal SIG the same, stopped by SIGTERM or SIGHUP
#   fed_session.sh cleared    ambertap -c between two calls: one certain gap,
#                             and check finds no error
#   fed_session.sh clearing   --clear through a session longer than the
#                             stand-in's 64 KiB: every record kept or inside a
#                             marked possible gap
#   fed_session.sh killed     killed (SIGKILL) mid-session: the records of
#                             every whole block show
#   fed_session.sh duration   --duration 1 ends the capture by itself
#   fed_session.sh records    --records 5 ends it with 5 records
#   fed_session.sh watched    watch --save beside record through one session:
#                             watch shows every line once, in order, and its
#                             file shows as record's does
#   fed_session.sh watch_stops  watch --records 5 and watch --json --duration 1
#                             end by themselves, with the lines fed
#   fed_session.sh stop_on    watch --check --stop-on error of a session with
#                             a fault: the finding shows while the capture
#                             runs, which ends by itself before the feed, with
#                             the records after the fault and check's exit 3
set -u
set -f

first_calls="$SAMPLES/outgoing_data_call.hex $SAMPLES/incoming_voice_call.hex"
last_calls="$SAMPLES/busy_callee.hex $SAMPLES/fax_breaks_off.hex"
calls="$first_calls $last_calls"
# Ten times a second: a capture sees the records as they come.
interval=100

failed() {
    echo "fed_session: $*" >&2
    exit 1
}

# The lines of the listings as show prints them, without the line ends'
# CR that a Windows console program writes.
lines_of() {
    # shellcheck disable=SC2086
    cat "$@" | $AMBERTRACE show - | tr -d '\r'
}

shown() {
    $AMBERTRACE show "$@" 2>show.err | tr -d '\r'
}

capture_size() {
    if [ -f "$1" ]; then
        wc -c <"$1"
    else
        echo 0
    fi
}

# Waits until the capture's file ($2, c.atr if not given) holds more than $1
# bytes: a Windows program takes its time to start, and so does the feed.
# $3 is where the capture writes its messages.
wait_for_capture() {
    tries=0
    until [ "$(capture_size "${2:-c.atr}")" -gt "$1" ]; do
        tries=$((tries + 1))
        [ $tries -lt 600 ] ||
            failed "the capture holds no more than $1 bytes: $(cat "${3:-record.err}")"
        sleep 0.05
    done
}

# Starts the capture in the background and waits until it has written its
# file's header.
start_record() {
    # shellcheck disable=SC2086
    $AMBERTRACE record --interval $interval "$@" c.atr 2>record.err &
    recorder=$!
    wait_for_capture 39
}

# Waits for the capture to end; its exit code must be $1.
end_record() {
    status=0
    wait $recorder || status=$?
    [ $status -eq "$1" ] || failed "record exited $status, not $1: $(cat record.err)"
}

# Sends the capture the signal $1.
signal_record() {
    if [ -n "${SIGNAL:-}" ]; then
        $SIGNAL "$1" $recorder || failed "cannot signal the capture"
    else
        kill -"$1" $recorder
    fi
}

# Starts watch in the background with the options $@, its lines into
# watched.txt, its file w.atr (or --save's), and waits until it has written
# the file's header.
start_watch() {
    # shellcheck disable=SC2086
    $AMBERTRACE watch --interval $interval "$@" >watched.txt 2>watch.err &
    watcher=$!
    wait_for_capture 39 "$watched_file" watch.err
}

# Waits for watch to end; its exit code must be $1.
end_watch() {
    status=0
    wait $watcher || status=$?
    [ $status -eq "$1" ] || failed "watch exited $status, not $1: $(cat watch.err)"
    tr -d '\r' <watch.err | grep -q '^ambertrace: watched ' ||
        failed "no summary line: $(cat watch.err)"
}

watched_as_fed() {
    tr -d '\r' <watched.txt | cmp -s fed.txt - ||
        failed "watched is not what was fed: $(tr -d '\r' <watched.txt | diff fed.txt - | head)"
}

feed() {
    # shellcheck disable=SC2086
    $FEED "$@" || failed "the feed failed"
}

# Enough time for the capture to read what was fed last.
settle() {
    sleep 0.3
}

recorded_summary() {
    tr -d '\r' <record.err | grep -q '^ambertrace: recorded ' ||
        failed "no summary line: $(cat record.err)"
}

stopped_by() {
    start_record
    # shellcheck disable=SC2086
    feed 100 $calls
    settle
    signal_record "$1"
    end_record 0
    recorded_summary
    # shellcheck disable=SC2086
    lines_of $calls >fed.txt
    shown c.atr >shown.txt || failed "show failed: $(cat show.err)"
    cmp -s fed.txt shown.txt || failed "shown is not what was fed: $(diff fed.txt shown.txt | head)"
}

# The lines before the one gap are where the first calls began, those after
# it all of the last calls.
cleared() {
    start_record
    # shellcheck disable=SC2086
    feed 100 $first_calls
    settle
    $AMBERTAP -c 2>/dev/null || failed "ambertap -c failed"
    # shellcheck disable=SC2086
    feed 100 $last_calls
    settle
    signal_record INT
    end_record 0
    shown c.atr >shown.txt || failed "show failed: $(cat show.err)"
    [ "$(grep -c '^-- gap' shown.txt)" -eq 1 ] || failed "not one gap: $(grep '^-- gap' shown.txt)"
    grep -q '^-- gap (certain) ' shown.txt || failed "not a certain gap: $(grep '^-- gap' shown.txt)"
    sed '/^-- gap/,$d' shown.txt >before.txt
    sed '1,/^-- gap/d' shown.txt >after.txt
    # shellcheck disable=SC2086
    lines_of $first_calls | head -n "$(wc -l <before.txt)" >fed_before.txt
    # shellcheck disable=SC2086
    lines_of $last_calls >fed_after.txt
    cmp -s before.txt fed_before.txt || failed "before the gap: $(diff fed_before.txt before.txt | head)"
    cmp -s after.txt fed_after.txt || failed "after the gap: $(diff fed_after.txt after.txt | head)"
    $AMBERTRACE check c.atr >check.txt 2>check.err || failed "check: $(cat check.txt check.err)"
    json_as_shown
}

# show --json of the capture says what show --time says: each record's
# seenAt is its time, and the gap is one object with the gap line's kind and
# times, in its place among the records.
json_as_shown() {
    $AMBERTRACE show --time c.atr 2>/dev/null | tr -d '\r' |
        sed -n 's/^-- gap (\([a-z]*\)) \(.\{23\}\) to \(.\{23\}\),.*/gap \1 \2 \3/p; /^-- gap/!s/^\(.\{23\}\) .*/\1/p' \
        >timed.txt
    $AMBERTRACE show --json c.atr 2>/dev/null | tr -d '\r' | python3 -c '
import json, sys
for line in sys.stdin:
    o = json.loads(line)
    print("gap %s %s %s" % (o["kind"], o["from"], o["to"]) if o["type"] == "gap" else o["seenAt"])
' >json_timed.txt || failed "show --json is not JSON Lines"
    cmp -s timed.txt json_timed.txt || failed "show --json and --time differ: $(diff timed.txt json_timed.txt | head)"
}

# Each line shown is the next line fed, or one after it when the lines
# between were traced inside the window that the possible gap just before
# marks; every record fed is accounted for, those after the last line shown
# only when a possible gap follows it (a slow machine's last clear can take
# the feed's last records), and more than the stand-in holds is kept.
clearing() {
    long=
    repeats=0
    while [ $repeats -lt 28 ]; do
        long="$long $calls"
        repeats=$((repeats + 1))
    done
    start_record --clear --clear-at 16384
    # shellcheck disable=SC2086
    feed 2000 $long
    settle
    signal_record INT
    end_record 0
    # shellcheck disable=SC2086
    lines_of $long >fed.txt
    shown c.atr >shown.txt || failed "show failed: $(cat show.err)"
    awk '
        NR == FNR { fed[++count] = $0; next }
        /^-- gap \(possible\) / { ++gaps; afterGap = 1; next }
        /^-- gap/ { print "not a possible gap: " $0; bad = 1; exit }
        {
            from = at
            while (at < count && fed[at + 1] != $0) ++at
            if (at == count) { print "never fed, or out of order: " $0; bad = 1; exit }
            if (at > from && !afterGap) { print "records missing with no gap before: " $0; bad = 1; exit }
            ++at
            afterGap = 0
            kept += 2 + $2
        }
        END {
            if (bad) exit 1
            if (at < count && !afterGap) { print "records fed after the last shown: " count - at; exit 1 }
            if (gaps == 0) { print "no possible gap"; exit 1 }
            if (kept <= 65536) { print "kept no more than the stand-in holds: " kept; exit 1 }
        }' fed.txt shown.txt >clearing.txt || failed "$(cat clearing.txt)"
}

# What a killed capture shows is where the feed began; a block cut by the
# kill is told and the exit code is then 2.
killed() {
    start_record
    # shellcheck disable=SC2086
    feed 100 $calls &
    feeder=$!
    wait_for_capture 40
    sleep 0.3
    signal_record KILL
    { wait $recorder; } 2>/dev/null
    wait $feeder
    # shellcheck disable=SC2086
    lines_of $calls >fed.txt
    status=0
    shown c.atr >shown.txt || status=$?
    [ $status -eq 0 ] || grep -q 'warning: cut short' show.err ||
        failed "show exited $status: $(cat show.err)"
    [ -s shown.txt ] || failed "nothing shown"
    head -n "$(wc -l <shown.txt)" fed.txt | cmp -s - shown.txt ||
        failed "shown is not where the feed began: $(head -n "$(wc -l <shown.txt)" fed.txt | diff - shown.txt | head)"
}

stops_by_itself() {
    # shellcheck disable=SC2086
    feed 10000 $calls
    # shellcheck disable=SC2086
    $AMBERTRACE record --interval $interval "$@" c.atr 2>record.err ||
        failed "record failed: $(cat record.err)"
    recorded_summary
}

# watch ends by itself once it holds every record fed, while record beside
# it is stopped as ever: two programs that the signal could not tell apart.
watched() {
    # shellcheck disable=SC2086
    lines_of $calls >fed.txt
    start_record
    watched_file=w.atr
    start_watch --save w.atr --records "$(wc -l <fed.txt)"
    # shellcheck disable=SC2086
    feed 100 $calls &
    feeder=$!
    # Each read's lines are out as soon as it is: the first show while the
    # feed and the capture go on.
    tries=0
    until [ -s watched.txt ]; do
        tries=$((tries + 1))
        [ $tries -lt 600 ] || failed "no line shows: $(cat watch.err)"
        sleep 0.05
    done
    kill -0 $watcher 2>/dev/null || failed "the lines showed only at the end"
    wait $feeder || failed "the feed failed"
    end_watch 0
    settle
    signal_record INT
    end_record 0
    watched_as_fed
    shown c.atr >shown.txt || failed "show failed: $(cat show.err)"
    cmp -s fed.txt shown.txt || failed "recorded is not what was fed: $(diff fed.txt shown.txt | head)"
    shown w.atr >watch_shown.txt || failed "show failed: $(cat show.err)"
    cmp -s shown.txt watch_shown.txt ||
        failed "watch --save and record differ: $(diff shown.txt watch_shown.txt | head)"
}

watch_stops() {
    # shellcheck disable=SC2086
    feed 10000 $calls
    $AMBERTRACE watch --interval $interval --records 5 >watched.txt 2>watch.err ||
        failed "watch failed: $(cat watch.err)"
    # shellcheck disable=SC2086
    lines_of $calls >all.txt
    head -n 5 all.txt >fed.txt
    watched_as_fed
    $AMBERTRACE watch --interval $interval --json --duration 1 2>watch.err | tr -d '\r' |
        python3 -c '
import json, sys
for line in sys.stdin:
    o = json.loads(line)
    assert o["type"] == "record" and "seenAt" in o, line
    print(o["line"])
' >watched.txt || failed "watch --json is not the records' JSON Lines: $(cat watch.err)"
    cp all.txt fed.txt
    watched_as_fed
}

# The fault's session, then the sample calls for longer than the capture
# reads on after the finding.
stop_on() {
    long="$SAMPLES/../tests/windows/traces/unanswered_data_b3_ind.hex"
    repeats=0
    while [ $repeats -lt 4 ]; do
        long="$long $calls"
        repeats=$((repeats + 1))
    done
    watched_file=c.atr
    start_watch --check --stop-on error --save c.atr
    # shellcheck disable=SC2086
    feed 100 $long &
    feeder=$!
    tries=0
    until tr -d '\r' <watched.txt | grep -q '^c\.atr:[0-9]*: error: '; do
        kill -0 $watcher 2>/dev/null || failed "the capture ended before its finding showed"
        tries=$((tries + 1))
        [ $tries -lt 600 ] || failed "no finding shows: $(cat watch.err)"
        sleep 0.05
    done
    end_watch 3
    kill -0 $feeder 2>/dev/null || failed "the capture did not end by itself before the feed"
    wait $feeder
    tr -d '\r' <watch.err | grep -q '^ambertrace: check found an error at record ' ||
        failed "the stop is not told: $(cat watch.err)"
    # shellcheck disable=SC2086
    lines_of $long >fed.txt
    shown c.atr >shown.txt || failed "show failed: $(cat show.err)"
    kept=$(wc -l <shown.txt)
    head -n "$kept" fed.txt | cmp -s - shown.txt ||
        failed "kept is not where the feed began: $(head -n "$kept" fed.txt | diff - shown.txt | head)"
    finding=$(tr -d '\r' <watched.txt | grep -m 1 '^c\.atr:[0-9]*: error: ')
    at=$(echo "$finding" | cut -d: -f2)
    # Half a second of the feed at least, of the capture's seconds after it.
    [ "$kept" -ge $((at + 50)) ] || failed "only $kept records kept, the fault at $at"
    [ "$kept" -lt "$(wc -l <fed.txt)" ] || failed "every record fed was kept"
    $AMBERTRACE check c.atr 2>/dev/null | tr -d '\r' | grep -qxF "$finding" ||
        failed "check of the capture does not find: $finding"
}

case ${1:-} in
stopped) stopped_by INT ;;
signal) stopped_by "${2:?a signal}" ;;
cleared) cleared ;;
clearing) clearing ;;
killed) killed ;;
duration)
    stops_by_itself --duration 1
    # shellcheck disable=SC2086
    lines_of $calls >fed.txt
    shown c.atr | cmp -s fed.txt - || failed "shown is not what was fed"
    ;;
records)
    stops_by_itself --records 5
    # shellcheck disable=SC2086
    lines_of $calls | head -n 5 >fed.txt
    shown c.atr | cmp -s fed.txt - || failed "shown is not the first 5 records fed"
    ;;
watched) watched ;;
watch_stops) watch_stops ;;
stop_on) stop_on ;;
*)
    sed -n '2,40s/^# \{0,1\}//p' "$0" >&2
    exit 2
    ;;
esac
