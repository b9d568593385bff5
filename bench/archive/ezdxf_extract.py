#!/usr/bin/python3
"""The peer of the benchmark: the facts that a drawing information file holds,
extracted with python3-ezdxf from the same drawings. For each drawing it reads
the file, finds the title block (the first reference of a block that the
project, domain or standard settings name as a border, in that order), and
collects the title block's attributes, the external references (name, path,
referenced or not), the other blocks, the layers, the registered applications
and the attributes of every revision reference (block grevn). One JSON line
per drawing goes to OUT.

Usage: ezdxf_extract.py DRIVE_C LIST OUT
  DRIVE_C  the folder that stands for drive C: (for the settings files)
  LIST     the drawings, one Linux path per line
"""
import json
import os
import re
import sys

import ezdxf

BORDER = re.compile(r'^\s*BORDER\s+"[^"]*"\s+"([^"]*)"', re.IGNORECASE)


def borders(path):
    """The block names of a settings file's BORDER entries, in file order."""
    try:
        with open(path, encoding="latin-1") as f:
            return [m.group(1).split(".")[0] for m in map(BORDER.match, f) if m]
    except OSError:
        return []


def project_settings(folder, cache):
    start = folder
    while True:
        if folder in cache:
            break
        candidate = os.path.join(folder, "ProjectSettings.txt")
        if os.path.exists(candidate):
            cache[folder] = borders(candidate)
            break
        parent = os.path.dirname(folder)
        if parent == folder:
            cache[folder] = []
            break
        folder = parent
    cache[start] = cache[folder]
    return cache[start]


def attributes(insert):
    return {a.dxf.tag: a.dxf.text for a in insert.attribs}


def extract(path, candidates):
    doc = ezdxf.readfile(path)
    inserts = [e for layout in doc.layouts for e in layout.query("INSERT")]
    inserts += [e for block in doc.blocks if not block.is_any_layout
                for e in block.query("INSERT")]
    referenced = {e.dxf.name.upper() for e in inserts}
    facts = {"drawing": path, "titleBlock": None, "xrefs": [], "blocks": [], "layers": [],
             "applications": [], "revisions": []}
    for name in candidates:
        if name in doc.blocks:
            found = [e for e in inserts if e.dxf.name.upper() == name.upper()]
            if found:
                facts["titleBlock"] = {"block": name, "attributes": attributes(found[0])}
            break
    for block in doc.blocks:
        name = block.name
        if block.is_any_layout or block.block.is_anonymous:
            continue
        if block.block.is_xref:
            facts["xrefs"].append({"name": name, "path": block.block.dxf.xref_path,
                                   "referenced": name.upper() in referenced})
        else:
            facts["blocks"].append(name)
    facts["layers"] = [layer.dxf.name for layer in doc.layers]
    facts["applications"] = [app.dxf.name for app in doc.appids]
    facts["revisions"] = [attributes(e) for e in inserts if e.dxf.name == "grevn"]
    return facts


def main():
    if len(sys.argv) != 4:
        sys.stderr.write(__doc__.split("\n\n")[-1] + "\n")
        sys.exit(2)
    drive_c, listing, out = sys.argv[1:]
    common = borders(os.path.join(drive_c, "Tarvex", "DomainSettings", "DomainSettings.txt")) + \
        borders(os.path.join(drive_c, "Tarvex", "Brevant", "support", "StandardSettings.txt"))
    cache = {}
    failed = 0
    with open(listing) as f, open(out, "w") as o:
        for line in f:
            path = line.rstrip("\n")
            if not path:
                continue
            candidates = project_settings(os.path.dirname(path), cache) + common
            try:
                o.write(json.dumps(extract(path, candidates)) + "\n")
            except Exception as error:  # a drawing ezdxf cannot read is counted, not fatal
                failed += 1
                sys.stderr.write("%s: %s\n" % (path, error))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
