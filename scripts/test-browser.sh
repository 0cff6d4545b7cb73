#!/usr/bin/env bash
# The browser stage: installs headless Chromium and a standards HTML parser
# when missing, builds the test reports (tests/ladder/sample_reports.cpp) in
# a tree of its own, and checks each as Chromium renders it
# (tests/ladder/browser/check_reports.py).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

scripts/install-deps.sh browser

# A tree of its own, so that the stage can run beside the others.
cmake --preset default >/dev/null
cmake --build --preset default --target ladder_sample_reports

reports=build/default/browser-reports
rm -rf "$reports"
mkdir -p "$reports"
build/default/tests/ladder/ladder_sample_reports "$reports"
# Debian's own Python, which holds the parser the install step added.
/usr/bin/python3 tests/ladder/browser/check_reports.py chromium "$reports"

echo "Browser stage: $((SECONDS - started)) s"
