"""What the rendered report of one trace must show, worked out from
ambertrace's own JSON views of the trace, never from the report: one diagram
per call (a PLCI's calls that overlap, as an incoming call offered to two
applications, are one) and per application's messages of no call, an arrow
for every message of a call, each at most once, and every finding at its
message in its severity.

Usage: expect_report.py AMBERTRACE TRACE >TRACE.expected.json
"""

import json
import subprocess
import sys


def objects(ambertrace, *arguments):
    run = subprocess.run([ambertrace, *arguments, "--damaged"], capture_output=True, text=True,
                         check=False)
    return [json.loads(line) for line in run.stdout.splitlines() if line.strip()]


def main():
    ambertrace, trace = sys.argv[1], sys.argv[2]
    records = [r for r in objects(ambertrace, "show", "--json", trace) if r["type"] == "record"]
    views = objects(ambertrace, "calls", "--json", trace)
    calls = [c for c in views if c["type"] == "call"]
    diagrams, open_on_plci = [], {}
    for number, call in enumerate(calls, 1):
        key = (call["controller"], call["plci"])
        joined = open_on_plci.get(key)
        if joined is not None and call["firstRecord"] <= joined["last"]:
            joined["last"] = max(joined["last"], call["lastRecord"])
            continue
        open_on_plci[key] = {"id": f"c1-{number}", "last": call["lastRecord"]}
        diagrams.append({"id": f"c1-{number}", "arrows": None})
    for group in views:
        if group["type"] == "noCall" and group["messages"]:
            diagrams.append({"id": f"n1-{group['applId']}-{group['controller']}", "arrows": None})
    messages = {r["index"]: r["applId"] for r in records if "applId" in r}
    required = sorted(index for index, appl in messages.items()
                      if any(c["applId"] == appl and c["firstRecord"] <= index <= c["lastRecord"]
                             for c in calls))
    findings = [{"arrow": f"a1-{f['record']}" if f["record"] in messages else None,
                 "severity": f["severity"]}
                for f in objects(ambertrace, "check", "--json", trace) if f["type"] == "finding"]
    json.dump({"diagrams": diagrams, "findings": findings,
               "arrows": [f"a1-{index}" for index in sorted(messages)],
               "required": [f"a1-{index}" for index in required]}, sys.stdout)
    print()


if __name__ == "__main__":
    main()
