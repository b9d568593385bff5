#!/usr/bin/python3
"""Checks the binary drawing reader against the DXF versions of the sample
drawings: for each binary drawing that has a DXF version, the layers, blocks,
registered applications, block references and attribute values that the
editor's drawing store reads from the binary file equal those it reads from
the DXF version, and those that another DXF reader (python3-ezdxf) reads from
the DXF version.

The DXF versions were saved later, by other programs; a record such a save
added has a handle at or above the binary file's handle seed, and is left out
of the comparison.

    dwg_pairs_check.py DWG_LOAD DATA_DIR
"""
import json
import os
import subprocess
import sys

import ezdxf


def store(tool, path):
    out = subprocess.run([tool, "--content", path], check=True, capture_output=True, text=True)
    return json.loads(out.stdout)


def ezdxf_content(path):
    doc = ezdxf.readfile(path)
    inserts, attribs = [], []
    for entity in doc.entitydb.values():
        if entity.dxftype() == "INSERT" and entity.is_alive:
            inserts.append([entity.dxf.handle, entity.dxf.name])
            for a in entity.attribs:
                attribs.append([entity.dxf.handle, a.dxf.tag, a.dxf.text])
    return {
        "layers": [[layer.dxf.handle, layer.dxf.name] for layer in doc.layers],
        "blocks": [[record.dxf.handle, record.dxf.name] for record in doc.block_records],
        "appids": [[app.dxf.handle, app.dxf.name] for app in doc.appids],
        "inserts": sorted(inserts),
        "attribs": sorted(attribs),
    }


def before(content, seed):
    """The content without the records made at or above the handle seed."""
    old = lambda handle: int(handle, 16) < seed
    return {key: [item for item in content[key] if old(item[0])]
            for key in ("layers", "blocks", "appids", "inserts", "attribs")}


def main():
    tool, data = sys.argv[1], sys.argv[2]
    failures = checked = 0
    for name in sorted(os.listdir(os.path.join(data, "dwg"))):
        dxf = os.path.join(data, "dxf", name[:-4] + ".dxf")
        if not name.endswith(".dwg") or not os.path.exists(dxf):
            continue
        binary = store(tool, os.path.join(data, "dwg", name))
        seed = int(binary["handseed"], 16)
        ours = before(binary, seed)
        readers = {"the store": before(store(tool, dxf), seed),
                   "ezdxf": before(ezdxf_content(dxf), seed)}
        for reader, theirs in readers.items():
            for key in ours:
                if ours[key] != theirs[key]:
                    failures += 1
                    print("FAIL %s: %s differ from the DXF version as %s reads it:\n  %s\n  %s"
                          % (name, key, reader, ours[key], theirs[key]))
        print("%s: %d layers, %d blocks, %d applications, %d references, %d attributes" % (
            name, len(ours["layers"]), len(ours["blocks"]), len(ours["appids"]),
            len(ours["inserts"]), len(ours["attribs"])))
        checked += 1
    if checked != 3:
        failures += 1
        print("FAIL: %d binary drawings with DXF versions, not 3" % checked)
    print("%d checked, %d differences" % (checked, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
