#!/usr/bin/python3
"""Writes the drawings of the sample project and of the drawing-information
scenario tests as DXF text (the editor keeps drawings as DXF whatever their
extension), with python3-ezdxf, so that the drawings are made by another
writer than the editor itself.

Usage: make-drawings.py sample <folder of drive C>
       make-drawings.py scenario <scenario drives folder>
       make-drawings.py open-before-load <scenario drives folder>

Each drawing is described below in the terms the document manager sees:
title blocks of the settings files' standards, revision marks, external
references, blocks, layers, registered applications, summary information and
the earlier product's settings records."""
import os
import sys

import ezdxf

# Title blocks: attribute tags of each standard, as the settings files map them.
PROJECT_TAGS = ["TITLE1", "TITLE2", "TITLE3", "TITLE4", "JOB1", "JOB2", "JOBNO", "DWGNO",
                "REV", "SCALE", "STATUS", "DRAWN", "DATE"]
DOMAIN_TAGS = ["DWG_TITLE_1", "DWG_TITLE_2", "DWG_TITLE_3", "PROJECT_1", "PROJECT_2",
               "PROJECT_NO", "DWG_NO", "REV", "SCALE", "STATUS", "DRAWN_BY", "ISSUE_DATE"]
STANDARD_TAGS = ["TITLE1", "TITLE2", "TITLE3", "TITLE4", "PROJECT1", "PROJECT2", "PROJECTNO",
                 "DRAWINGNO", "REVISION", "SCALE", "STATUS", "DRAWNBY", "DATE"]
REVISION_TAGS = ["REVMARK_REV", "REVMARK_DATE", "REVMARK_BY", "REVMARK_CHECKED",
                 "REVMARK_APPROVED", "REVMARK_DESC1", "REVMARK_DESC2", "REVMARK_DESC3",
                 "REVMARK_INDEX"]


def new_drawing():
    """A release-15 drawing with layer 0 and the application ACAD only."""
    doc = ezdxf.new("R2000")
    doc.layers.remove("Defpoints")
    return doc


def define_block(doc, name, tags):
    block = doc.blocks.new(name)
    for i, tag in enumerate(tags):
        block.add_attdef(tag, (0, -5 * i), dxfattribs={"prompt": tag, "height": 2.5})
    return block


def insert(doc, name, values, at=(0, 0), space=None):
    """A reference with one attribute per (tag, text) pair, in the order given."""
    space = space if space is not None else doc.modelspace()
    ref = space.add_blockref(name, at)
    for i, (tag, text) in enumerate(values):
        ref.add_attrib(tag, text, (at[0], at[1] - 5 * i), dxfattribs={"height": 2.5})
    return ref


def xref(doc, name, path, referenced=True, at=(0, 0)):
    doc.add_xref_def(path, name)
    if referenced:
        doc.modelspace().add_blockref(name, at)


def set_title(doc, title, subject="", author=""):
    """The summary information, as the DWGPROPS record of the named objects."""
    record = doc.rootdict.add_xrecord("DWGPROPS")
    record.reset([(1, "DWGPROPS COOKIE"), (2, title), (3, subject), (4, author), (6, ""),
                  (7, ""), (8, ""), (9, "")] + [(300 + i, "=") for i in range(10)] +
                 [(40, 0.0), (41, 2461000.5), (42, 2461000.5), (1, ""), (90, 0)])


def old_settings(doc, records, carrier_first=True):
    """The earlier product's settings records as extended data on a carrier."""
    doc.appids.new("Pellam-Ternis-1")
    msp = doc.modelspace()
    data = [(1000, "Ternis"), (1000, "TERNISSETTINGS"), (1070, len(records))]
    data += [(1000, r) for r in records]
    if carrier_first:
        carrier = msp.add_line((0, 0), (10, 0))
        msp.add_circle((5, 5), 2)
    else:
        msp.add_circle((5, 5), 2)
        carrier = msp.add_line((0, 0), (10, 0))
    carrier.set_xdata("Pellam-Ternis-1", data)


def save(doc, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    doc.saveas(path)


def grevn(doc):
    define_block(doc, "grevn", REVISION_TAGS)


def sample(drive_c):
    """The sample project: job A100 with drawings of each kind."""
    a100 = os.path.join(drive_c, "Jobs", "A100")

    site = new_drawing()
    site.layers.new("SURVEY")
    site.modelspace().add_line((0, 0), (100, 0), dxfattribs={"layer": "SURVEY"})
    save(site, os.path.join(a100, "xrefs", "site.dwg"))

    plan = new_drawing()
    define_block(plan, "A100-TB-A1", PROJECT_TAGS)
    grevn(plan)
    define_block(plan, "north arrow", [])
    plan.layers.new("Z010LX000")
    insert(plan, "A100-TB-A1", [
        ("TITLE1", "General Arrangement"), ("TITLE2", "Quay Wall"), ("TITLE3", "Plan"),
        ("TITLE4", ""), ("JOB1", "Harbour Works"), ("JOB2", "Quay Wall Extension"),
        ("JOBNO", "A100"), ("DWGNO", "A100-101"), ("REV", "B"), ("SCALE", "1:500"),
        ("STATUS", "PRELIMINARY"), ("DRAWN", "AB"), ("DATE", "12.03.26")],
        space=plan.layouts.get("Layout1"))
    insert(plan, "grevn", [("REVMARK_REV", "A"), ("REVMARK_DATE", "02.02.26"),
                           ("REVMARK_BY", "AB"), ("REVMARK_CHECKED", "CD"),
                           ("REVMARK_APPROVED", "EF"), ("REVMARK_DESC1", "First issue"),
                           ("REVMARK_DESC2", ""), ("REVMARK_INDEX", "1")], at=(200, 0))
    insert(plan, "grevn", [("REVMARK_REV", "B"), ("REVMARK_DATE", "12.03.26"),
                           ("REVMARK_BY", "AB"), ("REVMARK_CHECKED", "CD"),
                           ("REVMARK_APPROVED", "EF"), ("REVMARK_DESC1", "Revised after"),
                           ("REVMARK_DESC2", "the client's review"), ("REVMARK_DESC3", ""),
                           ("REVMARK_INDEX", "2")], at=(200, 20))
    insert(plan, "north arrow", [], at=(50, 50))
    xref(plan, "site", "C:\\Jobs\\A100\\xrefs\\site.dwg")
    save(plan, os.path.join(a100, "plan01.dwg"))

    section = new_drawing()
    define_block(section, "TX-A1", DOMAIN_TAGS)
    insert(section, "TX-A1", [
        ("DWG_TITLE_1", "Sections"), ("DWG_TITLE_2", "Quay Wall"), ("DWG_TITLE_3", ""),
        ("PROJECT_1", "Harbour Works"), ("PROJECT_2", "Quay Wall Extension"),
        ("PROJECT_NO", "A100"), ("DWG_NO", "A100-201"), ("REV", "A"), ("SCALE", "1:50"),
        ("STATUS", "FOR APPROVAL"), ("DRAWN_BY", "GH"), ("ISSUE_DATE", "20.03.26")])
    save(section, os.path.join(a100, "sections", "sect01.dwg"))

    sketch = new_drawing()
    sketch.modelspace().add_circle((0, 0), 10)
    set_title(sketch, "Quay wall sketch", author="AB")
    save(sketch, os.path.join(a100, "sketches", "sketch01.dwg"))

    old = new_drawing()
    old_settings(old, ["_PellamDIszDwgTitle1 Harbour Survey 1998",
                       "_PellamDIszDwgNumber1 A100-OLD-7"])
    save(old, os.path.join(a100, "archive", "survey98.dwg"))


def scenario(drives):
    """The drawings of the drawing-information scenario (see its session.scr)."""
    c = os.path.join(drives, "C")

    # The worked example: references found and not, one unreferenced; blocks
    # grevn and northarrow; no title block.
    plan = new_drawing()
    grevn(plan)
    define_block(plan, "northarrow", [])
    insert(plan, "northarrow", [])
    xref(plan, "site", "C:\\Jobs\\A100\\site.dwg")
    xref(plan, "grid", "C:\\Jobs\\A100\\grid.dwg")
    xref(plan, "old", "old.dwg", referenced=False)
    save(plan, os.path.join(c, "Jobs", "A100", "plan01.dwg"))

    # The project's title block, revision marks of every tag rule, names with
    # blanks and tabs, references with blanks in their paths.
    tb = new_drawing()
    define_block(tb, "A100-TB-A3", PROJECT_TAGS)
    grevn(tb)
    define_block(tb, "north arrow", [])
    define_block(tb, "key\tplan", [])
    tb.layers.new("Z010LX000")
    tb.layers.new("hatch\tfill")
    tb.layers.new("road edge")
    tb.appids.new("Pellam-Ternis-1")
    insert(tb, "A100-TB-A3", [
        ("TITLE1", "Quay Wall"), ("TITLE2", "Sections  A-A and B-B"), ("TITLE3", "Sheet 1"),
        ("JOB1", "Harbour Works"), ("JOB2", "Quay Wall Extension"), ("JOBNO", "A100"),
        ("DWGNO", "A100 102"), ("REV", "C"), ("SCALE", "1:50"),
        ("STATUS", "FOR CONSTRUCTION"), ("DRAWN", "JS"), ("DATE", "04.12.26")])
    insert(tb, "A100-TB-A3", [("TITLE1", "Second copy"), ("REV", "Z")], at=(500, 0))
    insert(tb, "grevn", [("REVMARK_REV", "B"), ("REVMARK_DATE", "12.03.01"),
                         ("REVMARK_BY", "AB"), ("REVMARK_CHECKED", "CD"),
                         ("REVMARK_APPROVED", "EF"), ("REVMARK_DESC1", "first line"),
                         ("REVMARK_DESC2", "second line"), ("REVMARK_DESC3", ""),
                         ("REVMARK_INDEX", "3")], at=(200, 0))
    insert(tb, "grevn", [("REVMARK_DAY", "04"), ("REVMARK_MONTH", "12"),
                         ("REVMARK_YEAR", "2026")], at=(200, 50))
    insert(tb, "grevn", [("REVMARK_DAY", "05"), ("REVMARK_MONTH", "12"),
                         ("REVMARK_YEAR", "2026"), ("REVMARK_REV", "D")], at=(200, 100))
    insert(tb, "grevn", [("REVMARK_DESC", "no number"), ("REVMARK_DESC1", ""),
                         ("REVMARK_DESC2", "after the close"), ("revmark_rev", "lower"),
                         ("REVMARK_REV", "E")], at=(200, 150))
    insert(tb, "grevn", [("REVMARK_DESC1", "all"), ("REVMARK_DESC2", "filled"),
                         ("REVMARK_REV", "F"), ("REVMARK_REV", "G")], at=(200, 200))
    insert(tb, "grevn", [], at=(200, 250))
    xref(tb, "site plan", "C:\\Jobs\\A100\\xrefs\\site plan.dwg")
    xref(tb, "grid", "C:\\Jobs\\A100\\ref files\\grid.dwg")
    xref(tb, "old\tone", "old.dwg", referenced=False)
    save(tb, os.path.join(c, "Jobs", "A100", "sheets", "tb-project.dwg"))

    # Job B200's settings define no title block of their own: the office's
    # applies, with B200's project label.
    dom = new_drawing()
    define_block(dom, "TX-A2", DOMAIN_TAGS)
    define_block(dom, "ISO-A1", STANDARD_TAGS)  # defined too; the domain file wins
    insert(dom, "TX-A2", [
        ("DWG_TITLE_1", "Pump House"), ("DWG_TITLE_2", "Elevations"),
        ("PROJECT_1", "Pump Station"), ("PROJECT_NO", "B200"), ("DWG_NO", "B200-07"),
        ("REV", "P1"), ("SCALE", "1:100"), ("STATUS", "PRELIMINARY"),
        ("DRAWN_BY", "KL"), ("ISSUE_DATE", "01.12.26")])
    insert(dom, "ISO-A1", [("TITLE1", "not this one")], at=(500, 0))
    save(dom, os.path.join(c, "Jobs", "B200", "tb-domain.dwg"))

    # No project settings at all: the standard title block, and a drawing
    # whose title comes from its summary information.
    std = new_drawing()
    define_block(std, "ISO-A3", STANDARD_TAGS)
    insert(std, "ISO-A3", [("TITLE1", "Standard Sheet"), ("PROJECT1", "Loose Job"),
                           ("PROJECTNO", "C300"), ("DRAWINGNO", "C300-1"),
                           ("REVISION", "0"), ("DATE", "2026-12-04")])
    save(std, os.path.join(c, "Jobs", "C300", "tb-standard.dwg"))

    summary = new_drawing()
    summary.modelspace().add_circle((0, 0), 10)
    set_title(summary, "Title From Properties", subject="Subject")
    save(summary, os.path.join(c, "Jobs", "C300", "summary.dwg"))

    # The earlier product's drawing: the title in its old settings records.
    old = new_drawing()
    old_settings(old, ["  _PellamDIszDwgTitle1 Old  Survey Plan", "norecord",
                       "_PellamDIszDwgNumber1 X-9"])
    save(old, os.path.join(c, "Jobs", "C300", "old-product.dwg"))

    # Names: two dots, no extension.
    dots = new_drawing()
    save(dots, os.path.join(c, "Jobs", "A100", "a.b.dwg"))
    save(new_drawing(), os.path.join(c, "Jobs", "A100", "plan03"))

    # A network drive P: (\\srv\jobs) and the same share by its UNC name.
    net = new_drawing()
    save(net, os.path.join(drives, "P", "D400", "net.dwg"))
    save(new_drawing(), os.path.join(drives, "S", "D400", "unc.dwg"))


def open_before_load(drives):
    """A drawing whose reference is found only on its project's search path,
    and one whose project is already the editor's."""
    a100 = os.path.join(drives, "C", "Jobs", "A100")
    site = new_drawing()
    site.layers.new("SURVEY")
    site.modelspace().add_line((0, 0), (100, 0), dxfattribs={"layer": "SURVEY"})
    save(site, os.path.join(a100, "xrefs", "site.dwg"))
    plan = new_drawing()
    xref(plan, "site", "site.dwg")
    save(plan, os.path.join(a100, "plan01.dwg"))
    save(new_drawing(), os.path.join(a100, "plan02.dwg"))
    save(new_drawing(), os.path.join(a100, "plan03.dwg"))


if __name__ == "__main__":
    makers = {"sample": sample, "scenario": scenario, "open-before-load": open_before_load}
    if len(sys.argv) != 3 or sys.argv[1] not in makers:
        sys.stderr.write(__doc__.split("\n\n")[1] + "\n")
        sys.exit(2)
    makers[sys.argv[1]](sys.argv[2])
