#!/usr/bin/env bash
# The browser stage: installs headless Chromium and a standards HTML parser
# when missing, builds the test reports (tests/ladder/sample_reports.cpp) and
# ambertrace in the sanitizers' tree (which the test command has built by the
# time it starts this), writes the real report of every sample call, and
# checks each as Chromium renders it (tests/ladder/browser/check_reports.py).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

scripts/install-deps.sh browser

build=build/sanitize
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize --target ladder_sample_reports ambertrace

reports=$build/browser-reports
rm -rf "$reports"
mkdir -p "$reports"
"$build/tests/ladder/ladder_sample_reports" "$reports"
# The real reports of the sample calls, each beside what ambertrace's own JSON
# views of its trace say the page must show.
ambertrace=$PWD/$build/src/ambertrace/ambertrace
for trace in samples/*.hex; do
    name=$(basename "$trace" .hex)
    (cd samples && "$ambertrace" report -o "../$reports/report-$name.html" "$name.hex")
    /usr/bin/python3 tests/ladder/browser/expect_report.py "$ambertrace" "$trace" \
        >"$reports/report-$name.expected.json"
done
# Debian's own Python, which holds the parser the install step added.
/usr/bin/python3 tests/ladder/browser/check_reports.py chromium "$reports"

echo "Browser stage: $((SECONDS - started)) s"
