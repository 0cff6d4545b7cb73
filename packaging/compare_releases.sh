#!/bin/sh
# Checks that two builds of the release archives are the same bytes: FIRST
# and SECOND hold the same zips, each zip and SHA256SUMS alike in both, and
# SHA256SUMS lists every zip by its right sum.
#
#   compare_releases.sh FIRST SECOND
set -eu

if [ $# -ne 2 ]; then
    sed -n '2,6s/^# \{0,1\}//p' "$0" >&2
    exit 2
fi
first=$1
second=$2
failures=0

fail() {
    echo "compare_releases: $*" >&2
    failures=$((failures + 1))
}

# The names of the zips in FOLDER, on one line.
zips() {
    (cd "$1" && ls -1 -- *.zip 2>/dev/null) | LC_ALL=C sort | paste -s -d ' ' -
}

names=$(zips "$first")
if [ -z "$names" ] || [ "$names" != "$(zips "$second")" ]; then
    fail "$first holds the zips '$names', $second '$(zips "$second")'"
fi
for name in $names SHA256SUMS; do
    if ! cmp -s "$first/$name" "$second/$name"; then
        fail "$name differs between $first and $second"
    fi
done

listed=$(sed 's/^[0-9a-f]*  //' "$first/SHA256SUMS" | LC_ALL=C sort | paste -s -d ' ' -)
if [ "$listed" != "$names" ]; then
    fail "$first/SHA256SUMS lists '$listed', not the zips '$names'"
fi
if ! (cd "$first" && sha256sum --check --quiet SHA256SUMS); then
    fail "$first/SHA256SUMS does not match its zips"
fi

[ "$failures" -eq 0 ]
