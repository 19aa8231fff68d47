#!/usr/bin/env python3
"""Turns a capture log of a real upload into an input of the dialogue fuzzer: the modem's writes, each
with its delay, in the fuzzer's form (see dialogue_fuzzer.cpp).

Usage: capture_to_dialogue.py CAPTURE_LOG OUTPUT

Each "[in]" line shows the whole reply buffer after a read. The bytes that read brought are what follows
the part of the buffer that the previous line showed, or that remained of it after a reply was taken.
The program drops the buffer when it sends a command or a block, but not with the upload request. A read
after the program wrote answers its first write since the read before, with the delay since that write;
any other keeps its delay since the read before."""
import re
import sys

STAMP = re.compile(rb"^(\d\d):(\d\d):(\d\d):(\d{1,4})\[([^\]]*)\](.*?)\r?$")
ANSWERS = 0x80
PULL_CABLE = 255
LONGEST_WRITE = 254
LONGEST_INPUT = 4096


def new_bytes(previous, current):
    if current.startswith(previous):
        return current[len(previous):]
    for kept in range(min(len(previous), len(current)), 0, -1):
        if previous.endswith(current[:kept]):
            return current[kept:]
    return current


def convert(lines):
    out = bytearray([3, 0])  # four blocks, the window's limits
    buffer = b""
    last_read_ms = None
    wrote_ms = None
    for line in lines:
        match = STAMP.match(line)
        if not match:
            continue
        hours, minutes, seconds, millis, tag, text = match.groups()
        ms = ((int(hours) * 60 + int(minutes)) * 60 + int(seconds)) * 1000 + int(millis)
        tag = tag.strip()
        if tag == b"out" or tag.startswith(b"B") or tag == b"info":
            wrote_ms = ms if wrote_ms is None else wrote_ms
            # The program drops what it received when it sends anything but the upload request.
            if tag == b"info" or (tag == b"out" and not text.startswith(b"UP ")):
                buffer = b""
            continue
        if tag != b"in":
            continue
        current = text.replace(b"[cr]", b"\r").replace(b"[lf]", b"\n")
        received = new_bytes(buffer, current)
        buffer = current
        if not received:
            continue
        if wrote_ms is not None:
            delay = ANSWERS | min(127, max(0, ms - wrote_ms) // 10)
        else:
            delay = min(127, max(0, ms - (last_read_ms or ms)) // 10)
        last_read_ms = ms
        wrote_ms = None
        for start in range(0, len(received), LONGEST_WRITE):
            piece = received[start:start + LONGEST_WRITE]
            out += bytes([delay, len(piece)]) + piece
            delay = 0
    return bytes(out[:LONGEST_INPUT])


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as log:
        data = convert(log.read().split(b"\n"))
    with open(sys.argv[2], "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
