#!/bin/sh
# Checks a release archive: it holds ambertap.exe, ambertrace.exe and
# README.txt and nothing else, every line of the read-me ends in CR LF, and the
# programs are built for the archive's machine, FORMAT as OBJDUMP names it (pei-i386, pei-x86-64).
#
#   check_archive.sh ZIP OBJDUMP FORMAT
set -eu

if [ $# -ne 3 ]; then
    sed -n '2,6s/^# \{0,1\}//p' "$0" >&2
    exit 2
fi
archive=$1
objdump=$2
format=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "check_archive: $archive: $*" >&2
    failures=$((failures + 1))
}

contents=$(unzip -Z1 "$archive" | LC_ALL=C sort | paste -s -d ' ' -)
if [ "$contents" != "README.txt ambertap.exe ambertrace.exe" ]; then
    fail "holds $contents; expected README.txt ambertap.exe ambertrace.exe"
fi
unzip -q "$archive" -d "$work"

cr=$(printf '\r')
if [ -f "$work/README.txt" ]; then
    if grep -q -v "$cr\$" "$work/README.txt" || [ "$(tail -c 1 "$work/README.txt")" != "" ]; then
        fail "README.txt has a line that does not end in CR LF"
    fi
fi
for program in ambertap.exe ambertrace.exe; do
    if [ -f "$work/$program" ] && ! "$objdump" -f "$work/$program" | grep -q "file format $format\$"; then
        fail "$program is not $format: $("$objdump" -f "$work/$program" | grep 'file format')"
    fi
done

[ "$failures" -eq 0 ]
