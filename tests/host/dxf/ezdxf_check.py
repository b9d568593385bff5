#!/usr/bin/python3
"""Checks that another DXF reader (python3-ezdxf) reads what the editor
writes: every sample drawing, loaded and saved unchanged by dxf-resave, has
the same layers, blocks, block references and attributes as the original; a
drawing the editor makes with its own calls reads and audits clean. Damaged
drawings (named damaged-*.dxf) are read as RECOVER reads them: ezdxf's strict
reader reads the saved file, with the content that ezdxf's recover mode reads
from the damaged one.

    ezdxf_check.py DXF_RESAVE SAMPLES_DIR...
"""
import os
import subprocess
import sys
import tempfile

import ezdxf
from ezdxf import recover


def content(doc):
    layers = [layer.dxf.name for layer in doc.layers]
    blocks = [block.name for block in doc.blocks]
    inserts = []
    attribs = []
    for entity in doc.entitydb.values():
        if entity.dxftype() == "INSERT" and entity.is_alive:
            inserts.append((entity.dxf.handle, entity.dxf.name))
            for a in entity.attribs:
                attribs.append((entity.dxf.handle, a.dxf.tag, a.dxf.text))
    return layers, blocks, sorted(inserts), sorted(attribs)


def main():
    resave, folders = sys.argv[1], sys.argv[2:]
    failures = 0
    checked = 0
    with tempfile.TemporaryDirectory() as work:
        for folder, name in sorted((f, n) for f in folders for n in os.listdir(f)):
            if not name.endswith(".dxf"):
                continue
            original = os.path.join(folder, name)
            saved = os.path.join(work, name)
            damaged = name.startswith("damaged-")
            subprocess.run([resave] + (["--recover"] if damaged else []) + [original, saved],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            before = recover.readfile(original)[0] if damaged else ezdxf.readfile(original)
            a, b = content(before), content(ezdxf.readfile(saved))
            for what, x, y in zip(("layers", "blocks", "inserts", "attributes"), a, b):
                if x != y:
                    failures += 1
                    print("FAIL %s: %s differ" % (name, what))
            checked += 1
        if checked == 0:
            failures += 1
            print("FAIL no sample drawings (*.dxf) in %s" % samples)
        made = os.path.join(work, "made.dxf")
        subprocess.run([resave, "--make", made], check=True)
        doc = ezdxf.readfile(made)
        auditor = doc.audit()
        layers, blocks, inserts, attribs = content(doc)
        expected = [("DOCTITLE1", "Plan"), ("SCALE", "1:1"), ("DOCTITLE1", "Level 2")]
        got = [(t, v) for (_, t, v) in attribs if t in ("DOCTITLE1", "SCALE")]
        if auditor.has_errors or "TITLE" not in blocks or sorted(got) != sorted(expected):
            failures += 1
            print("FAIL made.dxf: errors %s, blocks %s, attributes %s" % (auditor.errors, blocks, got))
        if doc.appids.get("Pellam-Ternis-1") is None:
            failures += 1
            print("FAIL made.dxf: registered application missing")
        checked += 1
    print("%d checked, %d failures" % (checked, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
