#!/bin/sh
# Checks that a Windows program starts on the oldest Windows it is built for,
# from its PE header and import table as OBJDUMP (the build's own) prints them:
#
#   check_pe.sh subsystem OBJDUMP EXE MAX  the subsystem version is MAX (as 5.01) or lower
#   check_pe.sh imports OBJDUMP EXE LIST...
#                                          every imported DLL and function is a line
#                                          "DLL FUNCTION" of a LIST ("#" starts a comment)
set -eu

if [ $# -lt 4 ]; then
    sed -n '2,8s/^# \{0,1\}//p' "$0" >&2
    exit 2
fi
check=$1
objdump=$2
exe=$3
reference=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$objdump" -p "$exe" >"$work/headers"

# major.minor as one number: 5.01 and 5.1 are both 501.
version_number() {
    minor=${1#*.}
    minor=${minor#0}
    echo $((${1%%.*} * 100 + ${minor:-0}))
}

check_subsystem() {
    major=$(sed -n 's/^MajorSubsystemVersion[[:space:]]*//p' "$work/headers")
    minor=$(sed -n 's/^MinorSubsystemVersion[[:space:]]*//p' "$work/headers")
    if [ -z "$major" ] || [ -z "$minor" ]; then
        echo "check_pe: no subsystem version in the header of $exe" >&2
        exit 1
    fi
    if [ "$(version_number "$major.$minor")" -gt "$(version_number "$reference")" ]; then
        echo "check_pe: $exe has subsystem version $major.$minor, newer than $reference" >&2
        exit 1
    fi
}

# One line "DLL FUNCTION" per import, the DLL in capitals as Windows matches it.
imports() {
    awk '/^The Import Tables/ { inside = 1; next }
         inside && /^[^ \t]/ { inside = 0 }
         inside && $1 == "DLL" && $2 == "Name:" { dll = toupper($3) }
         inside && /^\t[0-9a-f]+\t/ { print dll, $3 }' "$work/headers"
}

allowed() {
    shift 3
    sed 's/#.*//' "$@" | awk 'NF == 2 { print toupper($1), $2 }'
}

check_imports() {
    imports | LC_ALL=C sort -u >"$work/imports"
    allowed "$@" | LC_ALL=C sort -u >"$work/allowed"
    if [ ! -s "$work/imports" ]; then
        echo "check_pe: no imports read from $exe" >&2
        exit 1
    fi
    LC_ALL=C comm -23 "$work/imports" "$work/allowed" >"$work/unlisted"
    if [ -s "$work/unlisted" ]; then
        echo "check_pe: $exe imports what its lists do not hold:" >&2
        sed 's/^/    /' "$work/unlisted" >&2
        exit 1
    fi
}

case $check in
subsystem) check_subsystem ;;
imports) check_imports "$@" ;;
*)
    echo "check_pe: unknown check: $check" >&2
    exit 2
    ;;
esac
