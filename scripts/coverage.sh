#!/usr/bin/env bash
# Builds with gcc's coverage instrumentation (the coverage preset), runs every
# test once, and prints line and branch coverage of src/decode, src/device and
# src/cli: a table per file with the lines never run, then one summary line
# per folder. The gcov data stays in build/coverage.
#
# Usage: scripts/coverage.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install-deps.sh native coverage

build=build/coverage
cmake --preset coverage >/dev/null
cmake --build --preset coverage
# Counts from an earlier run would add up with this one.
find "$build" -name '*.gcda' -delete
ctest --preset coverage

areas=(src/decode src/device src/cli)
filters=()
for area in "${areas[@]}"; do
    filters+=(--filter "$area/")
done
# Branches the program cannot take (exception paths that the project never
# throws, branches the compiler proved dead) are left out of the counts.
trace="$build/coverage.json"
gcovr --root . --object-directory "$build" --exclude-directories "$build/CMakeFiles" \
    --exclude-unreachable-branches --exclude-throw-branches "${filters[@]}" \
    --json "$trace" "$build" 2>/dev/null

echo "== Lines (Missing: lines never run)"
gcovr --root . --add-tracefile "$trace"
echo "== Branches (Missing: lines with a branch never taken)"
gcovr --root . --add-tracefile "$trace" --branches

echo "== Summary"
for area in "${areas[@]}"; do
    gcovr --root . --add-tracefile "$trace" --filter "$area/" --print-summary --output /dev/null |
        awk -v area="$area" '/^lines:/ { lines = $2 " " $3 " " $4 " " $5 " " $6 }
                            /^branches:/ { branches = $2 " " $3 " " $4 " " $5 " " $6 }
                            END { printf "%-11s lines %-24s branches %s\n", area, lines, branches }'
done
