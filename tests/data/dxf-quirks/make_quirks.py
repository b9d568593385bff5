#!/usr/bin/python3
"""Writes the quirk corpus of the drawing store's tests: small drawings, one
per quirk of other writers or kind of damage, each described in README.md
with its expected outcome. The binary DXF files are written by another
writer, python3-ezdxf, one per release it writes.

    make_quirks.py FOLDER
"""
import os
import sys

import ezdxf


def tags_text(tags, nl="\n"):
    return "".join("%3s%s%s%s" % (code, nl, value, nl) for code, value in tags)


HEADER = [(0, "SECTION"), (2, "HEADER"), (9, "$ACADVER"), (1, "AC1015"),
          (9, "$HANDSEED"), (5, "100"), (9, "$LTSCALE"), (40, "2.5"), (0, "ENDSEC")]


def tables(dimstyle=None):
    dimstyle = dimstyle or [(340, "11")]
    return [
        (0, "SECTION"), (2, "TABLES"),
        (0, "TABLE"), (2, "LAYER"), (5, "2"), (330, "0"), (100, "AcDbSymbolTable"), (70, "1"),
        (0, "LAYER"), (5, "10"), (330, "2"), (100, "AcDbSymbolTableRecord"),
        (100, "AcDbLayerTableRecord"), (2, "0"), (70, "0"), (62, "7"), (6, "Continuous"),
        (0, "ENDTAB"),
        (0, "TABLE"), (2, "STYLE"), (5, "3"), (330, "0"), (100, "AcDbSymbolTable"), (70, "1"),
        (0, "STYLE"), (5, "11"), (330, "3"), (100, "AcDbSymbolTableRecord"),
        (100, "AcDbTextStyleTableRecord"), (2, "Standard"), (70, "0"), (40, "0.0"),
        (41, "1.0"), (50, "0.0"), (71, "0"), (42, "2.5"), (3, "txt"), (4, ""),
        (0, "ENDTAB"),
        (0, "TABLE"), (2, "APPID"), (5, "9"), (330, "0"), (100, "AcDbSymbolTable"), (70, "1"),
        (0, "APPID"), (5, "12"), (330, "9"), (100, "AcDbSymbolTableRecord"),
        (100, "AcDbRegAppTableRecord"), (2, "ACAD"), (70, "0"),
        (0, "ENDTAB"),
        (0, "TABLE"), (2, "DIMSTYLE"), (5, "A"), (330, "0"), (100, "AcDbSymbolTable"), (70, "1"),
        (100, "AcDbDimStyleTable"),
        (0, "DIMSTYLE"), (105, "27"), (330, "A"), (100, "AcDbSymbolTableRecord"),
        (100, "AcDbDimStyleTableRecord"), (2, "Standard"), (70, "0")] + dimstyle + [
        (0, "ENDTAB"),
        (0, "TABLE"), (2, "BLOCK_RECORD"), (5, "1"), (330, "0"), (100, "AcDbSymbolTable"),
        (70, "2"),
        (0, "BLOCK_RECORD"), (5, "1F"), (330, "1"), (100, "AcDbSymbolTableRecord"),
        (100, "AcDbBlockTableRecord"), (2, "*Model_Space"),
        (0, "BLOCK_RECORD"), (5, "1B"), (330, "1"), (100, "AcDbSymbolTableRecord"),
        (100, "AcDbBlockTableRecord"), (2, "*Paper_Space"),
        (0, "ENDTAB"),
        (0, "ENDSEC")]


def block(handle, owner, name, end_handle):
    return [(0, "BLOCK"), (5, handle), (330, owner), (100, "AcDbEntity"), (8, "0"),
            (100, "AcDbBlockBegin"), (2, name), (70, "0"), (10, "0.0"), (20, "0.0"),
            (30, "0.0"), (3, name), (1, ""),
            (0, "ENDBLK"), (5, end_handle), (330, owner), (100, "AcDbEntity"), (8, "0"),
            (100, "AcDbBlockEnd")]


BLOCKS = ([(0, "SECTION"), (2, "BLOCKS")] + block("20", "1F", "*Model_Space", "21")
          + block("1C", "1B", "*Paper_Space", "1D") + [(0, "ENDSEC")])


def line(handle, x="0.0"):
    return [(0, "LINE"), (5, handle), (330, "1F"), (100, "AcDbEntity"), (8, "0"),
            (100, "AcDbLine"), (10, x), (20, "0.0"), (30, "0.0"), (11, "1.0"), (21, "1.0"),
            (31, "0.0")]


def entities(*records):
    return [(0, "SECTION"), (2, "ENTITIES")] + [t for r in records for t in r] + [(0, "ENDSEC")]


OBJECTS = [(0, "SECTION"), (2, "OBJECTS"),
           (0, "DICTIONARY"), (5, "C"), (330, "0"), (100, "AcDbDictionary"), (281, "1"),
           (0, "ENDSEC")]
EOF_ = [(0, "EOF")]


def drawing(dimstyle=None, ents=None):
    return (HEADER + tables(dimstyle) + BLOCKS + (ents or entities(line("2F")))
            + OBJECTS + EOF_)


def write(folder, name, text):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(text.encode("latin-1") if isinstance(text, str) else text)


def main():
    folder = sys.argv[1]
    # Other writers' quirks, which open and save back byte for byte.
    write(folder, "dimstyle-name-in-340.dxf", tags_text(drawing([(340, "Standard")])))
    write(folder, "dimstyle-empty-341.dxf", tags_text(drawing([(340, "11"), (341, "")])))
    write(folder, "cr-line-ends.dxf", tags_text(drawing(), "\r"))
    write(folder, "duplicate-handles.dxf",
          tags_text(drawing(ents=entities(line("2F"), line("30"), line("2F", "5.0")))))
    for release in ("R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"):
        doc = ezdxf.new(release)
        msp = doc.modelspace()
        msp.add_line((0, 0), (1, 1))
        msp.add_text("binary", dxfattribs={"height": 2.5})
        doc.header["$LTSCALE"] = 2.5
        doc.saveas(os.path.join(folder, "binary-%s.dxf" % release), fmt="bin")

    # Damage that OPEN refuses and RECOVER mends.
    good = drawing()
    write(folder, "damaged-no-eof.dxf", tags_text(good[:-1]))
    write(folder, "damaged-no-endsec.dxf", tags_text(good[:-2]) + tags_text(EOF_))
    header = HEADER[:4] + [(0, "ENDSEC")] + HEADER[4:]
    write(folder, "damaged-endsec-in-header.dxf",
          tags_text(header + tables() + BLOCKS + entities(line("2F")) + OBJECTS + EOF_))
    write(folder, "damaged-record-outside-section.dxf",
          tags_text(HEADER + tables() + BLOCKS + entities(line("2F")) + line("30")
                    + [(0, "ENDTAB")] + OBJECTS + EOF_))
    bad = line("2F", "1.5.5")
    bad.insert(bad.index((8, "0")), ("x8", "unreadable"))
    write(folder, "damaged-bad-values.dxf", tags_text(drawing(ents=entities(bad))))
    no_endtab = tables()
    no_endtab.remove((0, "ENDTAB"))
    write(folder, "damaged-open-table.dxf",
          tags_text(HEADER + no_endtab + BLOCKS + entities(line("2F")) + OBJECTS + EOF_))
    no_endblk = BLOCKS[:]
    at = no_endblk.index((0, "ENDBLK"))
    del no_endblk[at:at + 6]
    write(folder, "damaged-open-block.dxf",
          tags_text(HEADER + tables() + no_endblk + entities(line("2F")) + OBJECTS + EOF_))


if __name__ == "__main__":
    main()
