#!/usr/bin/python3
"""Round trip over public DXF drawings: for every .dxf file under the folders,
whether python3-ezdxf's ordinary reader (ezdxf.readfile) reads it and, for
each that it reads, whether the editor's drawing store opens it and saves it
with the same tags (text: each group code and value as read; binary: the same
bytes). Files that ezdxf refuses are tried with RECOVER (dxf-resave
--recover): the saved file must then be one that ezdxf.readfile reads.
Prints the counts and each file that fails.

    public_roundtrip.py DXF_RESAVE FOLDER...

Folders of public drawings: ../shared/samples/dxf, and Debian's
librecad-data part library (apt-get download librecad-data; dpkg -x).
"""
import collections
import os
import subprocess
import sys
import tempfile

import ezdxf


def tags(path):
    data = open(path, "rb").read()
    if data.startswith(b"AutoCAD Binary DXF"):
        return data
    text = data.decode("latin-1")
    breaks = [(text.find(nl), nl) for nl in ("\r\n", "\n", "\r") if nl in text]
    nl = min(breaks)[1] if breaks else "\n"
    lines = text.split(nl if nl != "\r\n" else "\n")
    out = []
    for k in range(0, len(lines) - 1, 2):
        out.append((int(lines[k].strip()), lines[k + 1].rstrip("\r")))
        if out[-1] == (0, "EOF"):
            break
    return out


def main():
    resave, folders = sys.argv[1], sys.argv[2:]
    files = sorted(os.path.join(root, name) for folder in folders
                   for root, _, names in os.walk(folder) for name in names
                   if name.lower().endswith(".dxf"))
    counts = collections.Counter()
    failures = []
    with tempfile.TemporaryDirectory() as work:
        saved = os.path.join(work, "saved.dxf")
        for path in files:
            try:
                ezdxf.readfile(path)
            except Exception:
                counts["ezdxf refuses"] += 1
                run = subprocess.run([resave, "--recover", path, saved], capture_output=True)
                try:
                    if run.returncode == 0:
                        ezdxf.readfile(saved)
                        counts["refused by ezdxf, recovered to a file it reads"] += 1
                        continue
                except Exception:
                    pass
                counts["refused by ezdxf, not recovered"] += 1
                continue
            counts["ezdxf reads"] += 1
            run = subprocess.run([resave, path, saved], capture_output=True, text=True,
                                 errors="replace")
            if run.returncode != 0:
                counts["store refuses"] += 1
                failures.append((path, run.stderr.strip()))
            elif tags(saved) != tags(path):
                counts["tags differ"] += 1
                failures.append((path, "the saved tags differ"))
            else:
                counts["same tags"] += 1
    print("%d files: %s" % (len(files), ", ".join("%s %d" % kv for kv in sorted(counts.items()))))
    for path, why in failures:
        print("FAIL %s: %s" % (path, why[:300]))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
