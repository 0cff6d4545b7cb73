#!/usr/bin/env python3
"""Measures how many one-line faults the tests catch.

Makes faults at random in the product code (the .cpp files of the libraries
below; a header would rebuild everything), one at a time: a constant changed
(one more), a statement or a table row deleted, a comparison flipped. Each
fault is built and, if it builds, the tests are run; then the line is put
back. A fault that does not build is replaced by another. The faults are
written to a list, so that the same faults can be measured again once the
tests have changed.

Run it in a copy of the tree that is not a git checkout anyone works in:
it changes files in place, and a run cut short leaves the last fault in.

Usage:
    mutants.py --build DIR --count N --seed S --list FAULTS.json
    mutants.py --build DIR --replay FAULTS.json
"""

import argparse
import json
import os
import pathlib
import random
import re
import signal
import subprocess
import sys

FOLDERS = ["message", "decode", "tracefile", "capture", "ambertrace"]
NUMBER = re.compile(r"\b(0x[0-9a-fA-F]+|[0-9]+)([uU]?[lL]{0,2})\b")
# Spaced on both sides, as the formatter writes a comparison and never a
# template's brackets, a shift or an arrow.
COMPARISON = re.compile(r"(?<= )(==|!=|<=|>=|<|>)(?= )")
FLIPPED = {"==": "!=", "!=": "==", "<": ">=", ">=": "<", ">": "<=", "<=": ">"}


def masked(line):
    """The line with its string and character literals and comment blanked."""
    out, quote, i = [], None, 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            if c == quote:
                quote = None
            out.append(" " if quote else c)
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


def candidates(line):
    """Every fault that can be made in one line: (kind, new line)."""
    code = masked(line)
    stripped = code.strip()
    if not stripped or stripped.startswith("#") or stripped in "{}();":
        return []
    faults = []
    for m in NUMBER.finditer(code):
        text = m.group(1)
        value = int(text, 16) + 1 if text.startswith("0x") else int(text) + 1
        new = f"0x{value:x}" if text.startswith("0x") else str(value)
        faults.append(("constant", line[: m.start(1)] + new + line[m.end(1) :]))
    for m in COMPARISON.finditer(code):
        op = m.group(1)
        faults.append(("comparison", line[: m.start()] + FLIPPED[op] + line[m.end() :]))
    if stripped.endswith(";") or stripped.endswith("},") or stripped.endswith("),"):
        faults.append(("deleted", ""))
    return faults


def pick(rng, files):
    weights = [len(lines) for _, lines in files]
    while True:
        path, lines = rng.choices(files, weights)[0]
        number = rng.randrange(len(lines))
        faults = candidates(lines[number])
        if faults:
            kind, new = rng.choice(faults)
            return {"file": str(path), "line": number + 1, "kind": kind,
                    "old": lines[number], "new": new}


def run(command, cwd, timeout=None):
    """Whether the command succeeds; one that runs past `timeout` seconds (a
    fault that makes a loop endless) fails, and its process group ends."""
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        return process.wait(timeout) == 0
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        return False


def passes(root, build):
    """Every test, as ctest runs them (each GoogleTest program whole)."""
    return run(["ctest", "--test-dir", build, "-j2", "--timeout", "300"], root)


def measure(fault, root, build):
    path = root / fault["file"]
    original = path.read_text()
    lines = original.split("\n")
    assert lines[fault["line"] - 1] == fault["old"], fault
    lines[fault["line"] - 1] = fault["new"]
    path.write_text("\n".join(lines))
    try:
        if not run(["cmake", "--build", build, "-j2"], root):
            return "does not build"
        return "survived" if passes(root, build) else "caught"
    finally:
        path.write_text(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--count", type=int, default=21)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--list")
    parser.add_argument("--replay")
    args = parser.parse_args()
    root = pathlib.Path(__file__).resolve().parent.parent
    if args.replay:
        faults = json.loads(pathlib.Path(args.replay).read_text())
        results = [(fault, measure(fault, root, args.build)) for fault in faults]
    else:
        rng = random.Random(args.seed)
        files = [(p.relative_to(root), p.read_text().split("\n"))
                 for folder in FOLDERS
                 for p in sorted((root / "src" / folder).glob("*.cpp"))]
        results = []
        while len(results) < args.count:
            fault = pick(rng, files)
            result = measure(fault, root, args.build)
            if result != "does not build":
                results.append((fault, result))
        if args.list:
            pathlib.Path(args.list).write_text(json.dumps([f for f, _ in results], indent=1))
    for fault, result in results:
        print(f"{result:8} {fault['file']}:{fault['line']} {fault['kind']}: "
              f"{fault['old'].strip()!r} -> {fault['new'].strip()!r}", flush=True)
    caught = sum(result == "caught" for _, result in results)
    print(f"{caught} of {len(results)} faults caught")
    # A fault put back must build again: the tree is as it was.
    run(["cmake", "--build", args.build, "-j2"], root)
    return 0


if __name__ == "__main__":
    sys.exit(main())
