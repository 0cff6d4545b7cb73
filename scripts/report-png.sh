#!/usr/bin/env bash
# A picture of a report as headless Chromium renders it, for the README.
#
#   scripts/report-png.sh REPORT.html OUT.png [WIDTH [HEIGHT]]
#
# WIDTH and HEIGHT are the window's, in CSS pixels (760 by 1400 unless
# given); the picture is the top of the page, as far as the window reaches.
set -euo pipefail
if (($# < 2)); then
    echo "usage: $0 REPORT.html OUT.png [WIDTH [HEIGHT]]" >&2
    exit 1
fi
report=$(realpath "$1")
out=$(realpath -m "$2")
width=${3:-760}
height=${4:-1400}
cd "$(dirname "$0")/.."
scripts/install-deps.sh browser

profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
# Without these Chromium tries the network at start-up; root needs no sandbox.
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --hide-scrollbars --user-data-dir="$profile" --window-size="$width,$height" \
    --screenshot="$out" "file://$report" 2>/dev/null
test -s "$out"
echo "report-png: $out"
