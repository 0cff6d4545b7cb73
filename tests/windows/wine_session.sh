#!/bin/sh
# A Wine session of its own for the end-to-end tests and the demo: a prefix
# made fresh, one persistent wineserver that keeps the stand-in trace driver
# loaded between programs, and no display.
#
#   wine_session.sh PREFIX start win32|win64   make a fresh 32-bit or 64-bit prefix,
#                                              keep its wineserver running
#   wine_session.sh PREFIX load-driver SYSFILE install and start the stand-in trace driver
#   wine_session.sh PREFIX exec PROGRAM ARG... run a Windows program in the session
#   wine_session.sh PREFIX stop                end the wineserver, remove the prefix
#
# PREFIX must be an absolute path.
set -eu

if [ $# -lt 2 ]; then
    sed -n '2,12s/^# \{0,1\}//p' "$0" >&2
    exit 2
fi
prefix=$1
action=$2
shift 2
case $prefix in
/*) ;;
*)
    echo "wine_session: the prefix must be an absolute path: $prefix" >&2
    exit 2
    ;;
esac

# Everything Wine reads about its prefix is set here, nothing taken from the
# caller: the prefix, its shape (WINEARCH, by action below), and the loader,
# server and DLLs of the installed Wine rather than any the caller points to.
export WINEPREFIX="$prefix"
unset WINEARCH WINELOADER WINESERVER WINEDLLPATH
export WINEDEBUG=-all
# No Mono or Gecko installer, and no debugger that waits for a crash to be seen.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY

service=OV7100D

# Every program runs under the loader of the prefix's own word size, never
# the one Debian's wine wrapper guesses: with Wine's 32-bit half installed the
# wrapper takes the 32-bit loader, and in a 64-bit prefix a service that the
# 32-bit sc.exe creates is hosted by the 32-bit driver host, which cannot load
# a 64-bit driver. The 64-bit loader hands 32-bit programs on to the 32-bit one.
loader_for() {
    case $1 in
    win32) echo /usr/lib/wine/wine ;;
    win64) echo /usr/lib/wine/wine64 ;;
    *)
        echo "wine_session: not a prefix shape (win32, win64): $1" >&2
        exit 2
        ;;
    esac
}

# Runs what follows with the prefix of SHAPE, under its loader.
use_shape() {
    export WINEARCH="$1"
    loader=$(loader_for "$1")
}

# The machine field of a PE file's header (014c: 32-bit x86), or nothing for
# a name that is no file, such as one of Wine's own programs.
pe_machine() {
    if [ -f "$1" ]; then
        header=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
        od -An -t x2 -j $((header + 4)) -N 2 "$1" | tr -d ' '
    fi
}

# The shape that the prefix was made with, as Wine records it.
prefix_shape() {
    if [ ! -f "$prefix/system.reg" ]; then
        echo "wine_session: no session in $prefix: start one first" >&2
        exit 2
    fi
    sed -n 's/^#arch=//p' "$prefix/system.reg"
}

# Runs a Wine command quietly; shows what it said only when it fails.
quietly() {
    log="$prefix.log"
    if ! "$@" >"$log" 2>&1; then
        echo "wine_session: failed: $*" >&2
        cat "$log" >&2
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
}

stop_server() {
    if [ -d "$prefix" ]; then
        wineserver -k 2>/dev/null || true
    fi
}

case $action in
start)
    use_shape "${1:-}"
    # A server left running by an interrupted run would outlive its prefix.
    stop_server
    rm -rf "$prefix"
    mkdir -p "$(dirname "$prefix")"
    quietly "$loader" wineboot -i
    # The first boot restarts the service manager; creating a service before
    # that has settled fails, so wait until the server is idle and gone.
    wineserver -w
    # The server stays in the background: it must not hold the caller's
    # output open, or whoever waits for that output waits for ever.
    wineserver -p </dev/null >/dev/null 2>&1
    # The first program of a server session starts Wine's system processes,
    # which keep its standard streams open for as long as they run: let a
    # quiet one start them, so that no later program's output stays open.
    quietly "$loader" cmd /c exit
    ;;
load-driver)
    sysfile=$1
    shape=$(prefix_shape)
    use_shape "$shape"
    cp "$sysfile" "$prefix/drive_c/windows/system32/drivers/ov7100d.sys"
    quietly "$loader" sc create "$service" type= kernel start= auto \
        binPath= 'C:\windows\system32\drivers\ov7100d.sys'
    quietly "$loader" sc start "$service"
    ;;
exec)
    shape=$(prefix_shape)
    use_shape "$shape"
    # A 32-bit program in a 64-bit prefix is a WoW64 process however it is
    # started: the 64-bit loader hands it on to the 32-bit one through
    # start.exe, a 64-bit Wine process more for every run, which waits for it.
    # Started under the 32-bit loader it is the same process, at once.
    if [ "$shape" = win64 ] && [ "$(pe_machine "$1")" = 014c ]; then
        loader=$(loader_for win32)
    fi
    exec "$loader" "$@"
    ;;
stop)
    stop_server
    rm -rf "$prefix"
    ;;
*)
    echo "wine_session: unknown action: $action" >&2
    exit 2
    ;;
esac
