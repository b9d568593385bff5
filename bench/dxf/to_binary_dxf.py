#!/usr/bin/env python3
"""Writes a text DXF file's tags as a binary DXF file (two-byte group codes),
for the benchmark's binary row: the same drawing in the other form.

    to_binary_dxf.py IN.dxf OUT.dxf
"""
import struct
import sys

SENTINEL = b"AutoCAD Binary DXF\r\n\x1a\x00"


def kind(code):
    """The binary form of a group code's value."""
    ranges = [
        (10, 59, "d"), (60, 79, "h"), (90, 99, "i"), (110, 149, "d"), (160, 169, "q"),
        (170, 179, "h"), (210, 239, "d"), (270, 289, "h"), (290, 299, "B"),
        (310, 319, "bin"), (370, 389, "h"), (400, 409, "h"), (420, 429, "i"),
        (440, 459, "i"), (460, 469, "d"), (1004, 1004, "bin"), (1010, 1059, "d"),
        (1060, 1070, "h"), (1071, 1071, "i"),
    ]
    for low, high, form in ranges:
        if low <= code <= high:
            return form
    return "s"


def main():
    text = open(sys.argv[1], "rb").read().decode("latin-1")
    nl = "\r\n" if "\r\n" in text else "\n"
    lines = text.split(nl)
    out = [SENTINEL]
    for k in range(0, len(lines) - 1, 2):
        code, value = int(lines[k]), lines[k + 1]
        out.append(struct.pack("<h", code))
        form = kind(code)
        if form == "s":
            out.append(value.encode("latin-1") + b"\0")
        elif form == "bin":
            data = bytes.fromhex(value.strip())
            out.append(bytes([len(data)]) + data)
        elif form == "d":
            out.append(struct.pack("<d", float(value)))
        else:
            out.append(struct.pack("<" + form, int(value)))
        if code == 0 and value == "EOF":
            break
    open(sys.argv[2], "wb").write(b"".join(out))


if __name__ == "__main__":
    main()
