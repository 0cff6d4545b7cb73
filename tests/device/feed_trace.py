#!/usr/bin/env python3
"""Feeds the POSIX stand-in driver as a driver traces messages.

    feed_trace.py RATE LISTING...

appends the records of each hex listing, in order, to the stand-in's trace
(the file that AMBERTAP_STAND_IN_TRACE names), RATE records a second, each
in a write of its own, and returns once all are fed. The trace holds at most
what the Windows stand-in holds; a record that it has no room for is
dropped, as a driver whose buffer is full stops tracing. A clear (the file
emptied) makes room again.
"""

import os
import pathlib
import re
import sys
import time

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent.parent / "scripts"))

import hex2trace  # noqa: E402


def capacity():
    """The stand-in driver's own bound, from the header it is built with."""
    codes = (HERE.parent / "windows" / "driver" / "stand_in_codes.h").read_text()
    return int(re.search(r"#define STAND_IN_TRACE_CAPACITY (\d+)u", codes).group(1))


def records_of(data):
    at = 0
    while at + 2 <= len(data):
        end = at + 2 + data[at + 1]
        yield data[at:end]
        at = end


def main():
    rate = float(sys.argv[1])
    records = []
    for listing in sys.argv[2:]:
        text = pathlib.Path(listing).read_text()
        records += records_of(hex2trace.parse_listing(text, listing))
    bound = capacity()
    trace = os.open(os.environ["AMBERTAP_STAND_IN_TRACE"], os.O_WRONLY | os.O_APPEND)
    started = time.monotonic()
    fed = 0
    while fed < len(records):
        due = min(len(records), int((time.monotonic() - started) * rate) + 1)
        for record in records[fed:due]:
            if os.fstat(trace).st_size + len(record) <= bound:
                os.write(trace, record)
        fed = due
        time.sleep(0.002)
    os.close(trace)
    return 0


if __name__ == "__main__":
    sys.exit(main())
