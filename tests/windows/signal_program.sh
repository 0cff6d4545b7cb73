#!/bin/sh
# Sends a signal to the Windows program that a process of the Wine session
# started:
#
#   signal_program.sh SIGNAL PID
#
# PID runs the program itself, as it does in a prefix of the program's own
# word size, or, for a 32-bit program in a 64-bit prefix, runs Wine's
# start.exe, which hands the program to a 32-bit process of its own: then
# that process, found by the session's prefix and the program's name, gets
# the signal. Wine turns SIGINT into the console's CTRL_C_EVENT.
set -eu
signal=$1
pid=$2

command_line() {
    { tr '\0' ' ' <"/proc/$1/cmdline"; } 2>/dev/null || true
}

target=$pid
started=$(command_line "$pid")
case $started in
*start.exe\ /exec\ *)
    program=$(basename "$(echo "$started" | sed 's/.*start\.exe \/exec \([^ ]*\).*/\1/')")
    target=
    for candidate in /proc/[0-9]*; do
        candidate=${candidate#/proc/}
        [ "$candidate" != "$pid" ] || continue
        case $(command_line "$candidate") in
        *start.exe*) continue ;;
        *"$program"*) ;;
        *) continue ;;
        esac
        if { tr '\0' '\n' <"/proc/$candidate/environ"; } 2>/dev/null |
            grep -qx "WINEPREFIX=$WINE_SESSION_PREFIX"; then
            target=$candidate
        fi
    done
    if [ -z "$target" ]; then
        echo "signal_program: no process of $program in $WINE_SESSION_PREFIX" >&2
        exit 1
    fi
    ;;
esac
kill -"$signal" "$target"
