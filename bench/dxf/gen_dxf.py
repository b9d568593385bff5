#!/usr/bin/env python3
"""Makes a large AC1015 drawing for the benchmark: the editor's own template
drawing (written by `dxf-resave --make`) with as many lines, texts and block
references with attributes added to its entities as reach the size asked for.

    gen_dxf.py TEMPLATE.dxf SIZE_MB OUT.dxf
"""
import sys


def main():
    template, size_mb, out = sys.argv[1], float(sys.argv[2]), sys.argv[3]
    text = open(template, "rb").read().decode("latin-1")
    nl = "\r\n" if "\r\n" in text else "\n"
    lines = text.split(nl)
    # The handle seed: new handles start there.
    seed_at = lines.index("$HANDSEED") + 2
    handle = int(lines[seed_at].strip(), 16)
    model = None
    for i in range(len(lines) - 1):
        if lines[i] == "*Model_Space" and lines[i - 1].strip() == "2":
            # the BLOCK_RECORD handle is the 5 before it in its record
            j = i
            while lines[j].strip() != "5":
                j -= 1
            model = lines[j + 1].strip()
            break
    end = None
    for i in range(len(lines) - 3):
        if lines[i].strip() == "2" and lines[i + 1] == "ENTITIES":
            k = i + 2
            while not (lines[k].strip() == "0" and lines[k + 1] == "ENDSEC"):
                k += 2
            end = k
            break
    target = int(size_mb * 1024 * 1024) - len(text)
    out_parts = []
    written = 0
    n = 0

    def tag(code, value):
        return "%3d%s%s%s" % (code, nl, value, nl)

    while written < target:
        n += 1
        x, y = (n % 1000) * 1.25, (n // 1000) * 2.5
        if n % 3 == 0:
            ref = handle
            s = tag(0, "INSERT") + tag(5, "%X" % ref) + tag(330, model) + tag(100, "AcDbEntity") + \
                tag(8, "0") + tag(100, "AcDbBlockReference") + tag(66, "     1") + tag(2, "grevn") + \
                tag(10, x) + tag(20, y) + tag(30, "0.0")
            handle += 1
            for t, v in (("REVMARK_REV", "R%d" % n), ("REVMARK_DESC1", "Revision %d" % n)):
                s += tag(0, "ATTRIB") + tag(5, "%X" % handle) + tag(330, "%X" % ref) + \
                    tag(100, "AcDbEntity") + tag(8, "0") + tag(100, "AcDbText") + tag(10, x) + \
                    tag(20, y) + tag(30, "0.0") + tag(40, "2.5") + tag(1, v) + \
                    tag(100, "AcDbAttribute") + tag(2, t) + tag(70, "     0")
                handle += 1
            s += tag(0, "SEQEND") + tag(5, "%X" % handle) + tag(330, "%X" % ref) + \
                tag(100, "AcDbEntity") + tag(8, "0")
            handle += 1
        elif n % 3 == 1:
            s = tag(0, "LINE") + tag(5, "%X" % handle) + tag(330, model) + tag(100, "AcDbEntity") + \
                tag(8, "0") + tag(100, "AcDbLine") + tag(10, repr(x)) + tag(20, repr(y)) + \
                tag(30, "0.0") + tag(11, repr(x + 1.0)) + tag(21, repr(y + 0.5)) + tag(31, "0.0")
            handle += 1
        else:
            s = tag(0, "TEXT") + tag(5, "%X" % handle) + tag(330, model) + tag(100, "AcDbEntity") + \
                tag(8, "0") + tag(100, "AcDbText") + tag(10, repr(x)) + tag(20, repr(y)) + \
                tag(30, "0.0") + tag(40, "2.5") + tag(1, "Text number %d" % n) + tag(100, "AcDbText")
            handle += 1
        out_parts.append(s)
        written += len(s)
    lines[seed_at] = "%X" % handle
    head = nl.join(lines[:end]) + nl
    tail = nl.join(lines[end:])
    with open(out, "wb") as f:
        f.write(head.encode("latin-1"))
        f.write("".join(out_parts).encode("latin-1"))
        f.write(tail.encode("latin-1"))


if __name__ == "__main__":
    main()
