#!/usr/bin/env python3
"""Turns a hex listing into a binary trace file, and back.

A listing holds the trace bytes as hexadecimal, in the order they lie in the
buffer the driver returned:

    # Get CONNECT_CONF: direction 2, length 14, then the message
    02 0e  0e 00 01 00 02 81 05 00
    00000010: 01 01 00 00 00 00

- '#' starts a comment that runs to the end of the line;
- an offset at the start of a line (hex digits and a colon, as hex dump tools
  print it) is skipped;
- every other word is a run of hex digits of even length, two per byte
  ("0e00" is the same as "0e 00"); anything else is an error. Drop the text
  column of a hex dump before converting it.

Usage:
    hex2trace.py LISTING...            write LISTING's trace beside it (name.bin)
    hex2trace.py LISTING -o TRACE      write the trace to TRACE
    hex2trace.py --check FOLDER...     fail unless every name.hex has a name.bin
                                       that holds exactly its bytes
    hex2trace.py --listing TRACE       print a listing of a trace file, one
                                       record per line (for a crash input)
"""

import argparse
import pathlib
import re
import sys

OFFSET = re.compile(r"^[0-9a-fA-F]+:")
HEX_RUN = re.compile(r"^(?:[0-9a-fA-F]{2})+$")


class ListingError(Exception):
    pass


def parse_listing(text, name="listing"):
    data = bytearray()
    for number, line in enumerate(text.splitlines(), start=1):
        line = line.split("#", 1)[0].strip()
        line = OFFSET.sub("", line, count=1)
        for word in line.split():
            if not HEX_RUN.match(word):
                raise ListingError(f"{name}:{number}: not hex bytes: {word!r}")
            data += bytes.fromhex(word)
    return bytes(data)


def describe_record(record, whole):
    direction = {1: "Put", 2: "Get"}.get(record[0])
    if direction is None:
        return f"direction {record[0]:#04x}, not a message"
    if not whole:
        return f"{direction}, cut off by the end of the data"
    if len(record) < 2 + 6:
        return f"{direction}, no command word"
    return f"{direction} {record[6] | record[7] << 8:#06x}"


def trace_listing(data):
    """One line per record, as the walker steps: direction, length, message."""
    lines = []
    at = 0
    while at < len(data):
        wanted = at + 2 + (data[at + 1] if at + 1 < len(data) else 0)
        record = data[at:wanted]
        whole = at + 1 < len(data) and wanted <= len(data)
        lines.append(f"{record.hex(' ')}  # {describe_record(record, whole)}")
        at = wanted
    return "\n".join(lines) + "\n"


def check_folders(folders):
    problems = []
    listings = sorted(p for folder in folders for p in pathlib.Path(folder).glob("*.hex"))
    for listing in listings:
        trace = listing.with_suffix(".bin")
        try:
            wanted = parse_listing(listing.read_text(), str(listing))
        except ListingError as error:
            problems.append(str(error))
            continue
        if not trace.exists():
            problems.append(f"{trace}: missing (run {sys.argv[0]} {listing})")
        elif trace.read_bytes() != wanted:
            problems.append(f"{trace}: differs from {listing.name} (run {sys.argv[0]} {listing})")
    for problem in problems:
        print(problem, file=sys.stderr)
    print(f"{len(listings)} listings checked, {len(problems)} problems")
    return 1 if problems or not listings else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("paths", nargs="+", type=pathlib.Path)
    parser.add_argument("-o", "--output", type=pathlib.Path)
    mode = parser.add_mutually_exclusive_group()
    mode.add_argument("--check", action="store_true")
    mode.add_argument("--listing", action="store_true")
    arguments = parser.parse_args()

    if arguments.check:
        return check_folders(arguments.paths)
    if arguments.listing:
        for path in arguments.paths:
            sys.stdout.write(trace_listing(path.read_bytes()))
        return 0
    if arguments.output and len(arguments.paths) != 1:
        parser.error("-o takes one listing")
    for listing in arguments.paths:
        try:
            data = parse_listing(listing.read_text(), str(listing))
        except ListingError as error:
            print(error, file=sys.stderr)
            return 1
        trace = arguments.output or listing.with_suffix(".bin")
        trace.write_bytes(data)
        print(f"{trace}: {len(data)} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
