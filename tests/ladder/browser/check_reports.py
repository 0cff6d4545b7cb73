"""Checks reports as a browser renders them.

For each REPORT.html in the folder, beside its REPORT.expected.json: the
document parses without an error in a standards (WHATWG) parser; then a copy
with tests/ladder/browser/measure.js added is rendered by headless Chromium,
and what the laid-out page holds is compared with what the report was made
of: one diagram per call (or application's messages of no call), one arrow
per drawn message, every finding's message marked in its severity, and no
text of a diagram overlapping another or an arrow, a bracket or a band.

Usage: check_reports.py CHROMIUM FOLDER
"""

import json
import pathlib
import shutil
import subprocess
import sys
import tempfile

import html5lib

HERE = pathlib.Path(__file__).resolve().parent

# Without these Chromium tries the network at start-up; root needs no sandbox.
QUIET = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--hide-scrollbars", "--window-size=800,1000",
]


def parse_errors(path):
    parser = html5lib.HTMLParser(strict=True)
    try:
        parser.parse(path.read_bytes())
    except html5lib.html5parser.ParseError as error:
        return [str(error)]
    return []


def rendered(chromium, report, scratch):
    page = scratch / report.name
    text = report.read_text(encoding="ascii")
    script = (HERE / "measure.js").read_text(encoding="utf-8")
    page.write_text(text.replace("</body>", "<script>\n" + script + "</script>\n</body>"),
                    encoding="ascii")
    profile = scratch / ("profile-" + report.stem)
    dump = subprocess.run(
        [chromium, *QUIET, "--user-data-dir=" + str(profile), "--dump-dom", page.as_uri()],
        capture_output=True, text=True, timeout=120, check=False)
    if dump.returncode != 0:
        raise RuntimeError(f"chromium exited {dump.returncode}: {dump.stderr[-2000:]}")
    document = html5lib.parse(dump.stdout, namespaceHTMLElements=False)
    measured = document.find(".//pre[@id='measured']")
    if measured is None:
        raise RuntimeError("the measuring script left nothing: " + dump.stderr[-2000:])
    return json.loads(measured.text)


def check(chromium, report, scratch):
    failures = [f"does not parse: {error}" for error in parse_errors(report)]
    expected = json.loads(report.with_suffix("").with_suffix(".expected.json").read_text())
    page = rendered(chromium, report, scratch)
    ids = [diagram["id"] for diagram in page["diagrams"]]
    if ids != [diagram["id"] for diagram in expected["diagrams"]]:
        failures.append(f"diagrams {ids}, expected {[d['id'] for d in expected['diagrams']]}")
    for drawn, wanted in zip(page["diagrams"], expected["diagrams"]):
        if wanted["arrows"] is not None and drawn["arrows"] != wanted["arrows"]:
            failures.append(f"{drawn['id']}: arrows {drawn['arrows']}, expected {wanted['arrows']}")
    if "arrows" in expected:
        # A real report: every message at most once, every message of a call
        # drawn; messages of no call may be counted in a run instead.
        drawn = [arrow for diagram in page["diagrams"] for arrow in diagram["arrows"]]
        if len(drawn) != len(set(drawn)) or not set(drawn) <= set(expected["arrows"]):
            failures.append(f"arrows drawn twice or of no message: {sorted(drawn)}")
        missing = sorted(set(expected["required"]) - set(drawn))
        if missing:
            failures.append(f"messages of a call not drawn: {missing}")
    if len(page["findings"]) != len(expected["findings"]):
        failures.append(f"{len(page['findings'])} findings listed, expected {len(expected['findings'])}")
    severities = {"error", "warning", "note"}
    for found, wanted in zip(page["findings"], expected["findings"]):
        # An arrow takes the colour of its most severe finding.
        classes = set((found["classes"] or "").split())
        if wanted["arrow"] is None and found["arrow"] is None:
            continue  # about a record that holds no message: nothing to mark
        if found["arrow"] != wanted["arrow"] or "msg" not in classes or not classes & severities:
            failures.append(f"finding at {wanted['arrow']} leads to {found['arrow']} ({found['classes']})")
        if not any(wanted["severity"] in mark.split() for mark in found["marks"]):
            failures.append(f"finding at {wanted['arrow']}: its arrow shows no {wanted['severity']} text")
    failures += page["overlaps"]
    arrows = sum(len(diagram["arrows"]) for diagram in page["diagrams"])
    texts = sum(diagram["texts"] for diagram in page["diagrams"])
    return failures, f"{len(ids)} diagrams, {arrows} arrows, {texts} texts"


def main():
    chromium, folder = sys.argv[1], pathlib.Path(sys.argv[2])
    reports = sorted(folder.glob("*.html"))
    if not reports:
        print(f"no reports in {folder}", file=sys.stderr)
        return 1
    scratch = pathlib.Path(tempfile.mkdtemp(prefix="ladder-browser-"))
    failed = 0
    try:
        for report in reports:
            failures, summary = check(chromium, report, scratch)
            print(f"{'FAIL' if failures else 'ok'}: {report.name}: {summary}")
            for failure in failures[:40]:
                print(f"    {failure}")
            failed += bool(failures)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print(f"{len(reports) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
