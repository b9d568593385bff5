#!/usr/bin/python3
"""Checks the lists of the expected drawing information files of this
scenario against another reader: the layers, registered applications and
named blocks (not anonymous, not external references) that python3-ezdxf
reads from the drawing's DXF version in tests/data/dxf, or, for a drawing
that has none, from the DXF form that the editor's binary reader gives
(dwg-load --dxf). A DXF version saved later by another program may hold
records that the save added; they have handles at or above the binary
file's handle seed and are left out.

    din_lists_check.py DWG_LOAD DATA_DIR SCENARIO_DIR
"""
import json
import os
import subprocess
import sys
import tempfile

import ezdxf


def din_lists(path):
    lists = {"BLOCK": [], "LAYER": [], "APPID": []}
    for line in open(path, "rb").read().decode("latin-1").split("\r\n"):
        word, _, rest = line.partition(" ")
        if word in lists:
            # a name with blanks stands in double quotes
            quoted = len(rest) >= 2 and rest[0] == rest[-1] == '"'
            lists[word].append(rest[1:-1] if quoted else rest)
    return lists


def reference_lists(doc, seed):
    def older(entry):
        return int(entry.dxf.handle, 16) < seed

    blocks = [b.name for b in doc.blocks
              if not b.name.startswith("*") and not b.block.is_xref and older(b.block_record)]
    return {
        "BLOCK": sorted(blocks),
        "LAYER": sorted(l.dxf.name for l in doc.layers if older(l)),
        "APPID": sorted(a.dxf.name for a in doc.appids if older(a)),
    }


def tables_only(path):
    """Leaves out the entities and objects of a DXF form made by the binary
    reader: of a record it does not model it keeps the common part only,
    which ezdxf refuses for some types; the names checked here live in the
    tables and the block definitions' BLOCK records."""
    lines = open(path, "rb").read().decode("latin-1").split("\r\n")
    out, keep, section = [], True, None
    for k in range(0, len(lines) - 1, 2):
        code, value = lines[k].strip(), lines[k + 1]
        if code == "0":
            if section in ("ENTITIES", "BLOCKS", "OBJECTS"):
                keep = value in ("BLOCK", "ENDBLK", "ENDSEC")
            else:
                keep = True
            if value == "ENDSEC":
                section = None
        elif code == "2" and out and out[-1] == "SECTION":
            section = value
        if keep:
            out += [lines[k], value]
    open(path, "wb").write("\r\n".join(out + [""]).encode("latin-1"))


def main():
    tool, data, scenario = sys.argv[1:4]
    info = os.path.join(scenario, "expected-files", "C", "Jobs", "E500", "docinfo")
    failures = checked = 0
    with tempfile.TemporaryDirectory() as work:
        for din in sorted(n for n in os.listdir(info) if n.endswith("-dwg.din")):
            stem = din[:-len("-dwg.din")]
            drawing = os.path.join(data, "dwg", stem + ".dwg")
            content = subprocess.run([tool, "--content", drawing], check=True,
                                     capture_output=True, text=True).stdout
            seed = int(json.loads(content)["handseed"], 16)
            version = os.path.join(data, "dxf", stem + ".dxf")
            if not os.path.exists(version):
                version = os.path.join(work, stem + ".dxf")
                subprocess.run([tool, "--dxf", drawing, version], check=True,
                               stdout=subprocess.DEVNULL)
                tables_only(version)
            expected = reference_lists(ezdxf.readfile(version), seed)
            got = din_lists(os.path.join(info, din))
            for what in ("BLOCK", "LAYER", "APPID"):
                if sorted(got[what]) != expected[what]:
                    failures += 1
                    print("FAIL %s %s: .din %s, ezdxf %s" % (stem, what, got[what], expected[what]))
            checked += 1
    if checked != 6:
        failures += 1
        print("FAIL %d drawing information files, not 6" % checked)
    print("%d checked, %d failures" % (checked, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
