#!/usr/bin/env python3
"""Writes the fuzzers' seed corpora into fuzz/corpus/<fuzzer>/.

The seeds are the documented message examples: each as a message for the
message-line fuzzer (with a room in front), as a trace record for the walker
fuzzer, and a few argument vectors for the option scanner. The trace input
fuzzer gets one trace in each form it reads: bare records, hex text as a mail
leaves it, the dump of each tool that hex text reads, a trace file, and a trace
file as transfers change it; every input that once broke it; and each record of
the message cases that hold the network's information elements of every kind and
the supplementary services, one seed a record. Run it again after changing the
examples; the files are kept in the repository.
"""

import pathlib
import re
import shutil
import struct
import zlib

CORPUS = pathlib.Path(__file__).resolve().parent / "corpus"
MESSAGE_CASES = pathlib.Path(__file__).resolve().parent.parent / "tests" / "message" / "cases"

# The message cases whose records become seeds one by one.
ELEMENT_LISTINGS = ("network_elements", "supplementary_services")

MESSAGES = {
    "connect_b3_req": "0d 00 01 00 82 80 05 00 01 01 00 00 00",
    "connect_conf": "0e 00 01 00 02 81 05 00 01 01 00 00 00 00",
    "disconnect_ind": "0e 00 01 00 04 82 05 00 01 01 00 00 90 34",
    "disconnect_req": "0d 00 01 00 04 80 05 00 01 01 00 00 00",
    "data_b3_req": "16 00 01 00 86 80 05 00 01 01 01 00 78 56 34 12 04 00 01 00 00 00",
    "unnamed_0x8103": "0c 00 01 00 03 81 05 00 01 01 00 00",
    "bare_connect": "0c 00 01 00 02 00 05 00 01 00 00 00",
    "info_ind_cause": "11 00 01 00 08 82 05 00 01 01 00 00 08 00 02 80 90",
    "info_ind_charge": "13 00 01 00 08 82 05 00 01 01 00 00 00 40 04 0c 00 00 00",
    "info_ind_charge_alternative": "13 00 01 00 08 82 05 00 01 01 00 00 01 40 04 ff ff ff ff",
    "info_ind_other": "13 00 01 00 08 82 05 00 01 01 00 00 02 40 04 0c 00 00 00",
    "connect_req": "41 00 01 00 02 80 05 00 01 00 00 00 10 00 07 81 31 32 33 34 35 36 09 21 80 "
    "34 39 33 30 39 38 37 03 80 50 51 02 a0 37 09 01 00 01 00 00 00 00 00 00 03 80 90 a3 "
    "02 88 90 02 91 81 05 00 00 00 00 00",
    "connect_req_empty": "17 00 01 00 02 80 05 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
    "connect_req_short_structures": "20 00 01 00 02 80 05 00 01 00 00 00 01 00 01 81 01 01 01 80 "
    "01 80 01 07 01 aa 01 bb 01 cc 01 dd",
    "connect_req_two_byte_structures": "29 00 01 00 02 80 05 00 01 00 00 00 01 00 02 81 31 02 01 "
    "80 02 80 32 02 80 33 02 01 00 02 aa ab 02 bb bc 02 cc cd 02 dd de",
    "listen_req": "23 00 01 00 05 80 05 00 01 00 00 00 ff 00 00 00 ff 03 ff 1f 00 00 00 00 09 01 "
    "80 35 35 35 31 32 33 34 00",
    "listen_req_all_controllers": "1a 00 01 00 05 80 05 00 ff ff ff ff 00 00 00 00 01 00 00 00 "
    "00 00 00 00 00 00",
    "connect_active_ind": "1b 00 01 00 03 82 05 00 01 01 00 00 0c 01 80 34 39 33 30 31 32 33 "
    "34 35 36 00 00",
    "connect_active_ind_no_digits": "11 00 01 00 03 82 05 00 01 01 00 00 02 21 83 00 00",
}

# The three-record buffer: a put message, a record of another direction, a
# got message.
THREE_RECORDS = (
    "01 16 16 00 01 00 86 80 05 00 01 01 01 00 00 00 00 00 00 00 01 00 00 00 "
    "07 0e 0e 00 01 00 02 81 05 00 01 01 00 00 00 00 "
    "02 0e 0e 00 01 00 02 81 05 00 01 01 00 00 00 00"
)

# The accepted letters, then the arguments; the first byte turns the error
# messages on.
ARGUMENT_VECTORS = {
    "clear": ["c", "-c"],
    "clear_slash": ["c", "/c"],
    "bad_letter": ["c", "-x"],
    "grouped": ["c", "-cx"],
    "grouped_same": ["c", "-cc"],
    "stops_at_operand": ["c", "foo", "-c"],
    "double_dash_letter": ["c", "--c"],
    "double_dash": ["c", "--", "-c"],
    "lone_dash": ["c", "-"],
    "lone_slash": ["c", "/"],
    "parameter_attached": ["cf:", "-ffile"],
    "parameter_apart": ["cf:", "-f", "file", "-c"],
    "parameter_missing": ["cf:", "-cf"],
}

ROOM_OF_A_LINE = 396  # after "Put " or "Get " in a 400-character line


def room_prefix(room):
    value = room - 1  # the fuzzer reads 1 + value % 400
    return bytes([value & 0xFF, value >> 8])


def trace_file(records, saved_at=1700000000, flags=0):
    """A trace file of version 1.0, as the README describes it."""
    header = b"\x8fATR\r\n\x1a\n" + struct.pack(
        "<HHIIIqI", 1, 0, 40, len(records), zlib.crc32(records), saved_at, flags)
    return header + struct.pack("<I", zlib.crc32(header)) + records


def capture_header(started_at=1765375387215, interval=100, clear_at=0):
    """The header of a capture file, format version 2.0."""
    header = b"\x8fATR\r\n\x1a\n" + struct.pack(
        "<HHIqIII", 2, 0, 40, started_at, interval, clear_at, 0)
    return header + struct.pack("<I", zlib.crc32(header))


def capture_block(kind, body):
    """A block: its type and length, its body, its CRC-32 and length again."""
    head = struct.pack("<II", kind, 16 + len(body)) + body
    return head + struct.pack("<II", zlib.crc32(head), len(head) + 8)


def records_block(records, seen_at, read):
    return capture_block(1, struct.pack("<qI", seen_at, read) + records)


def gap_block(kind, start, end, read_before, read_after):
    return capture_block(2, struct.pack("<IqqII", kind, start, end, read_before, read_after))


def capture(records):
    """A capture of two reads with a clear's possible gap between them."""
    half = len(records) // 2
    return (capture_header() + records_block(records, 1765375387215, 1)
            + gap_block(2, 1765375387300, 1765375387304, 1, 2)
            + records_block(records[:half], 1765375387400, 2))


def hex_text(records):
    lines = [f"> {offset:04x}: {records[offset:offset + 16].hex(' ')}  # record bytes"
             for offset in range(0, len(records), 16)]
    return ("\ufeff# a trace\r\n" + "\r\n".join(lines) + "\r\n").encode()


# The hex dumps that tools print, in their default layouts (the README's
# section on hex text): each line an offset, 16 bytes and a text column.
def dump_lines(records):
    return [(offset, records[offset:offset + 16]) for offset in range(0, len(records), 16)]


def ascii_column(line):
    return "".join(chr(b) if 0x20 <= b < 0x7F else "." for b in line)


def byte_column(line, gap):
    words = [f"{b:02x}" for b in line]
    if gap and len(words) > 8:
        words[7] += " "
    return " ".join(words)


def xxd(records):
    lines = [f"{offset:08x}: {' '.join(line[i:i + 2].hex() for i in range(0, len(line), 2)):<39}"
             f"  {ascii_column(line)}" for offset, line in dump_lines(records)]
    return "".join(line + "\n" for line in lines).encode()


def hexdump_c(records):
    lines, before = [], None
    for offset, line in dump_lines(records):
        if line == before and len(line) == 16:
            if lines[-1] != "*":
                lines.append("*")
            continue
        lines.append(f"{offset:08x}  {byte_column(line, True):<48}  |{ascii_column(line)}|")
        before = line
    if records:
        lines.append(f"{len(records):08x}")
    return "".join(line + "\n" for line in lines).encode()


def certutil(records):
    lines = [f"{offset:04x}\t{byte_column(line, True):<48}   {ascii_column(line)}"
             for offset, line in dump_lines(records)]
    return "".join(line + "\r\n" for line in lines).encode()


COLUMN_NUMBERS = " ".join(f"{i:02X}" for i in range(16))


def format_hex_5(records, path):
    def text(line):
        return "".join("." if b < 0x20 or 0x7F <= b < 0xA0 else chr(b) for b in line)
    lines = ["", f"           Path: {path}", "", f"           {COLUMN_NUMBERS}", ""]
    lines += [f"{offset:08X}   {line.hex(' ').upper():<47}  {text(line)}"
              for offset, line in dump_lines(records)]
    return "".join(line + "\r\n" for line in lines + [""]).encode()


def format_hex_7(records, path):
    def text(line):
        return "".join(" " if b == 0 else "\ufffd" if b < 0x20 or 0x7F <= b < 0xA0 else chr(b)
                       for b in line)
    lines = ["", f"   Label: {path}", "",
             "          Offset Bytes                                           Ascii",
             f"                 {COLUMN_NUMBERS}",
             "          ------ ----------------------------------------------- -----"]
    lines += [f"{offset:016X} {line.hex(' ').upper():<47} {text(line)}"
              for offset, line in dump_lines(records)]
    return "".join(line + "\r\n" for line in lines + [""]).encode()


# The first byte picks the piece size the fuzzer reads in (0: all at once),
# the second the block room (bits 1-7) and whether damage is shown (bit 0);
# the third, the views, is added as each seed is written (VIEW_GROUPS).
def trace_input_seeds(records):
    saved = trace_file(records, flags=1)
    return {
        "bare_in_pieces_of_7": bytes([7, 0]) + records,
        "hex_text_in_pieces_of_3": bytes([3, 0]) + hex_text(records),
        "hex_text_damaged_shown": bytes([0, 1]) + hex_text(records).replace(b"0e", b"0g", 1),
        "trace_file": bytes([0, 2]) + saved,
        "trace_file_cut_shown": bytes([5, 1]) + saved[:-3],
        "trace_file_crlf_to_lf": bytes([0, 0]) + saved.replace(b"\r\n", b"\n"),
        "trace_file_eighth_bit_stripped": bytes([0, 0]) + bytes(b & 0x7F for b in saved),
        # The dumps of tools, one of each layout; hexdump -C repeats the zero lines.
        "xxd_dump": bytes([0, 0]) + xxd(records),
        "xxd_dump_in_a_mail_in_pieces_of_9": bytes([9, 0])
        + b"".join(b"> " + line + b"\r\n" for line in xxd(records).splitlines()),
        "hexdump_c_dump_with_repeats": bytes([0, 1]) + hexdump_c(records + bytes(64)),
        "certutil_dump": bytes([0, 0]) + certutil(records),
        "format_hex_5_dump": bytes([0, 0]) + format_hex_5(records, "C:\\t.bin"),
        "format_hex_7_dump": bytes([0, 0]) + format_hex_7(records, "C:\\t.bin"),
        "capture": bytes([11, 0]) + capture(records),
        "capture_cut_inside_its_last_block": bytes([0, 0]) + capture(records)[:-5],
        "capture_cut_shown": bytes([5, 1]) + capture(records)[:-5],
        "capture_block_damaged_shown": bytes([0, 1]) + capture(records).replace(b"\x0e", b"\x0f", 1),
        "capture_long_read_in_small_blocks": bytes([0, 0])
        + capture_header() + records_block(records * 60, 1765375387215, 1),
        # A find of the fuzzer's: an NCCI whose PLCI part is 0 names no call.
        "connect_b3_ind_without_plci": bytes([0, 0])
        + bytes.fromhex("02 0d 0d 00 01 00 82 82 01 01 01 00 01 00 00"),
    }


def listed_records(listing):
    """Each record of a hex listing whose records each follow a comment line,
    named by that comment."""
    records = {}
    name = None
    for line in (MESSAGE_CASES / f"{listing}.hex").read_text().splitlines():
        if line.startswith("# "):
            words = re.sub(r"[^a-z0-9]+", "_", line[2:].lower()).strip("_")
            name = f"{listing}_{len(records) + 1:02d}_{words[:48].rstrip('_')}"
        elif line.strip() and name is not None:
            records[name] = bytes.fromhex(line)
            name = None
    return records


def write(folder, name, data):
    path = CORPUS / folder / name
    path.write_bytes(data)


# The input reader's fuzzer takes each input through one group of views,
# picked by its third byte; each seed is written once for each group.
VIEW_GROUPS = {"text": 0, "json": 1, "calls": 2}


def write_trace_input(name, data):
    for group, choice in VIEW_GROUPS.items():
        write("trace_input", f"{name}_{group}", data[:2] + bytes([choice]) + data[2:])


def main():
    for folder in ("trace_walker", "message_line", "option_parser", "trace_input"):
        shutil.rmtree(CORPUS / folder, ignore_errors=True)
        (CORPUS / folder).mkdir(parents=True)

    for name, text in MESSAGES.items():
        message = bytes.fromhex(text)
        write("message_line", name, room_prefix(ROOM_OF_A_LINE) + message)
        write("trace_walker", name, bytes([1, len(message)]) + message)
    for room in (1, 16, 40):
        message = bytes.fromhex(MESSAGES["connect_req"])
        write("message_line", f"connect_req_room_{room}", room_prefix(room) + message)
    write("trace_walker", "three_records", bytes.fromhex(THREE_RECORDS))
    for name, data in trace_input_seeds(bytes.fromhex(THREE_RECORDS)).items():
        write_trace_input(name, data)
    for listing in ELEMENT_LISTINGS:
        for name, record in listed_records(listing).items():
            write_trace_input(name, bytes([0, 0]) + record)

    for name, (letters, *arguments) in ARGUMENT_VECTORS.items():
        segments = b"\x00".join(text.encode() for text in [letters, *arguments])
        write("option_parser", name, b"\x01" + segments)


if __name__ == "__main__":
    main()
