#!/usr/bin/python3
"""Makes a drawing archive: N projects with M drawings in all, as DXF text (the
editor keeps drawings as DXF whatever their extension), laid out as drive C:
of a workstation with the module's standard and domain settings installed.

Usage: make_archive.py OUT --projects N --drawings M [--scale F] [--seed S]

OUT/C/Jobs/P001/ ... one folder per project. Most projects have project
settings: some with their own title block (the job's standard of the sample
project), some naming only the job (the office's title block of the domain
settings applies); a few have none (the standard title block, or a title from
the drawing's properties or the earlier product's records). Each project has
reference drawings in xrefs/ that its sheets refer to, sheets in sheets/ with
a title block and revision references (block grevn), and loose drawings.
OUT/C/Tarvex/Brevant/support/StandardSettings.txt and
OUT/C/Tarvex/DomainSettings/DomainSettings.txt are the sample project's.

Sizes are spread like a real archive: most drawings under 1 MB, a few of a few
MB, and about one in 160 of 30 MB; at --scale 1 a thousand drawings come to
about 500 MB. --scale shrinks (or grows) every size, for tests. The same seed
gives the same archive. A list of the drawings, one Windows path per line,
goes to OUT/drawings.txt.
"""
import argparse
import importlib.util
import io
import os
import random
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

# The sample project's drawing makers: the same title blocks, revision block,
# references, summary information and old settings records.
_spec = importlib.util.spec_from_file_location(
    "make_drawings", os.path.join(ROOT, "scripts", "make-drawings.py"))
md = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(md)

SAMPLE_C = os.path.join(ROOT, "samples", "drives", "C")
STANDARD_SETTINGS = os.path.join(ROOT, "app", "support", "StandardSettings.txt")
FILLER_HANDLE = 0x100000
LARGE_EVERY = 160  # handles of added entities start here, above any template's


def project_settings(label, job, own_title_block):
    text = ["# Project settings of job %s (generated archive)." % job, "",
            "PROJECTLABEL", "{", label, "}", "",
            "PROJECTPATH", "{", ".", "xrefs", "}", "",
            "JOBNUMBER", "{", job, "}", "",
            "JOBTITLE", "{", "Archive job %s" % job, "Generated for the benchmark", "}", ""]
    if own_title_block:
        text += ["TITLEBLOCKS", "{",
                 'BORDER "A1 landscape" "%s-TB-A1.dwg"' % job,
                 'BORDER "A3 landscape" "%s-TB-A3.dwg"' % job,
                 "CATEGORY Project", "DEFAULTLAYER Z010LX000", "DEFAULTSPACE PAPER",
                 "INSERTABLE YES",
                 "DOCTITLE[1] TITLE1", "DOCTITLE[2] TITLE2", "DOCTITLE[3] TITLE3",
                 "DOCTITLE[4] TITLE4", "JOBTITLE[1] JOB1", "JOBTITLE[2] JOB2",
                 "JOBNUMBER JOBNO", "DOCNUMBER DWGNO", "REVISION REV", "SCALE SCALE",
                 "STATUS STATUS", "ORIGINATOR DRAWN", "ISSUEDATE DATE", "}", ""]
    return "\n".join(text)


def size_of(rng, scale, large, reference):
    """Bytes of a drawing: 30 MB for a large one, otherwise some of 1-4 MB and
    the rest under 1 MB, most of them small. Reference drawings, which every
    sheet of their project loads, are of the small kind."""
    if large:
        mb = 30.0
    elif reference:
        mb = rng.uniform(0.02, 0.30)
    else:
        r = rng.random()
        if r < 0.80:
            mb = rng.uniform(0.02, 0.30)
        elif r < 0.95:
            mb = rng.uniform(0.30, 1.0)
        else:
            mb = rng.uniform(1.0, 4.0)
    return int(mb * scale * 1024 * 1024)


class Filler:
    """Entities added to a drawing's model space to reach its size: lines,
    texts, circles and a few plain block references, on the drawing's layers.
    Made once, as long as the largest drawing needs, and cut per drawing."""

    def __init__(self, owner, layers, nl):
        self.owner = owner
        self.layers = layers
        self.nl = nl
        self.parts = []
        self.ends = []  # bytes after each entity
        self.handles = []  # the next free handle after each entity
        self.handle = FILLER_HANDLE
        self.size = 0

    def tag(self, code, value):
        return "%3d%s%s%s" % (code, self.nl, value, self.nl)

    def grow(self, target):
        t = self.tag
        n = len(self.parts)
        while self.size < target:
            n += 1
            x, y = (n % 1000) * 1.25, (n // 1000) * 2.5
            layer = self.layers[n % len(self.layers)]
            head = t(5, "%X" % self.handle) + t(330, self.owner) + t(100, "AcDbEntity") + \
                t(8, layer)
            kind = n % 4
            if kind == 0:
                s = t(0, "LINE") + head + t(100, "AcDbLine") + t(10, "%.3f" % x) + \
                    t(20, "%.3f" % y) + t(30, "0.0") + t(11, "%.3f" % (x + 1.0)) + \
                    t(21, "%.3f" % (y + 0.5)) + t(31, "0.0")
            elif kind == 1:
                s = t(0, "TEXT") + head + t(100, "AcDbText") + t(10, "%.3f" % x) + \
                    t(20, "%.3f" % y) + t(30, "0.0") + t(40, "2.5") + \
                    t(1, "Note %d of the survey" % n) + t(100, "AcDbText")
            elif kind == 2:
                s = t(0, "CIRCLE") + head + t(100, "AcDbCircle") + t(10, "%.3f" % x) + \
                    t(20, "%.3f" % y) + t(30, "0.0") + t(40, "0.75")
            else:
                s = t(0, "INSERT") + head + t(100, "AcDbBlockReference") + t(2, "marker") + \
                    t(10, "%.3f" % x) + t(20, "%.3f" % y) + t(30, "0.0")
            self.handle += 1
            self.parts.append(s)
            self.size += len(s)
            self.ends.append(self.size)
            self.handles.append(self.handle)

    def cut(self, size):
        """The entities that make up about size bytes, and the next free handle."""
        self.grow(size)
        lo, hi = 0, len(self.ends)
        while lo < hi:
            mid = (lo + hi) // 2
            if self.ends[mid] < size:
                lo = mid + 1
            else:
                hi = mid
        count = min(lo + 1, len(self.parts)) if size > 0 else 0
        return "".join(self.parts[:count]), (self.handles[count - 1] if count else None)


def drawing_text(doc):
    stream = io.StringIO()
    doc.write(stream)
    return stream.getvalue()


def with_filler(text, filler, size):
    """The drawing's text with entities added before the end of its entities."""
    nl = "\n"
    need = size - len(text)
    if need <= 0:
        return text
    entities, next_handle = filler.cut(need)
    end = text.index("%s  0%sENDSEC" % (nl, nl), text.index("%sENTITIES%s" % (nl, nl)))
    text = text[:end + 1] + entities + text[end + 1:]
    # The handle seed stays above every handle in the drawing.
    key = "$HANDSEED%s  5%s" % (nl, nl)
    at = text.index(key) + len(key)
    stop = text.index(nl, at)
    if next_handle is not None and int(text[at:stop], 16) < next_handle:
        text = text[:at] + "%X" % next_handle + text[stop:]
    return text


def model_space_owner(text):
    lines = text.split("\n")
    for i in range(len(lines) - 1):
        if lines[i] == "*Model_Space" and lines[i - 1].strip() == "2":
            j = i
            while lines[j].strip() != "5":
                j -= 1
            return lines[j + 1].strip()
    raise SystemExit("no model space in the template drawing")


LAYERS = ["0", "Z010LX000", "WALLS", "DIMENSIONS", "TEXT", "SURVEY", "HATCH", "SERVICES"]


def make_drawing(kind, job, number, rng, xrefs):
    """A drawing's document: its title source, blocks, layers, references."""
    doc = md.new_drawing()
    for layer in LAYERS[1:2 + rng.randrange(len(LAYERS) - 1)]:
        doc.layers.new(layer)
    md.define_block(doc, "marker", [])
    md.grevn(doc)
    for k in range(rng.randrange(4)):
        md.define_block(doc, "detail-%d" % (k + 1), [])
    title = "Drawing %s-%03d" % (job, number)
    if kind == "project":
        md.define_block(doc, "%s-TB-A1" % job, md.PROJECT_TAGS)
        md.insert(doc, "%s-TB-A1" % job, [
            ("TITLE1", title), ("TITLE2", "Archive sheet"), ("TITLE3", "Plan %d" % number),
            ("TITLE4", ""), ("JOB1", "Archive job %s" % job), ("JOB2", "Generated"),
            ("JOBNO", job), ("DWGNO", "%s-%03d" % (job, number)), ("REV", "B"),
            ("SCALE", "1:100"), ("STATUS", "FOR CONSTRUCTION"), ("DRAWN", "GEN"),
            ("DATE", "04.12.26")], space=doc.layouts.get("Layout1"))
    elif kind == "domain":
        md.define_block(doc, "TX-A1", md.DOMAIN_TAGS)
        md.insert(doc, "TX-A1", [
            ("DWG_TITLE_1", title), ("DWG_TITLE_2", "Office sheet"), ("PROJECT_1", job),
            ("PROJECT_NO", job), ("DWG_NO", "%s-%03d" % (job, number)), ("REV", "P1"),
            ("SCALE", "1:50"), ("STATUS", "PRELIMINARY"), ("DRAWN_BY", "GEN"),
            ("ISSUE_DATE", "01.12.26")])
    elif kind == "standard":
        md.define_block(doc, "ISO-A3", md.STANDARD_TAGS)
        md.insert(doc, "ISO-A3", [
            ("TITLE1", title), ("PROJECT1", job), ("PROJECTNO", job),
            ("DRAWINGNO", "%s-%03d" % (job, number)), ("REVISION", "0"),
            ("DATE", "2026-12-04")])
    elif kind == "summary":
        md.set_title(doc, title, subject="Archive")
    elif kind == "old":
        md.old_settings(doc, ["_PellamDIszDwgTitle1 %s" % title,
                              "_PellamDIszDwgNumber1 %s-OLD-%d" % (job, number)])
    if kind in ("project", "domain", "standard"):
        for r in range(rng.randrange(4)):
            md.insert(doc, "grevn", [
                ("REVMARK_REV", chr(ord("A") + r)), ("REVMARK_DATE", "0%d.03.26" % (r + 1)),
                ("REVMARK_BY", "AB"), ("REVMARK_CHECKED", "CD"), ("REVMARK_APPROVED", "EF"),
                ("REVMARK_DESC1", "Issue %d" % (r + 1)), ("REVMARK_DESC2", ""),
                ("REVMARK_INDEX", str(r + 1))], at=(200, 20 * r))
    for name, path in xrefs:
        md.xref(doc, name, path)
    return doc


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("out")
    parser.add_argument("--projects", type=int, required=True)
    parser.add_argument("--drawings", type=int, required=True)
    parser.add_argument("--scale", type=float, default=1.0)
    parser.add_argument("--seed", type=int, default=15)
    args = parser.parse_args()
    if args.projects < 1 or args.drawings < args.projects:
        parser.error("give at least one project and one drawing per project")

    rng = random.Random(args.seed)
    drive_c = os.path.join(args.out, "C")
    # The standard settings are installed with the module; the office's
    # domain settings come with the sample project.
    for source, settings in ((STANDARD_SETTINGS, "Tarvex/Brevant/support/StandardSettings.txt"),
                             (os.path.join(SAMPLE_C, "Tarvex/DomainSettings/DomainSettings.txt"),
                              "Tarvex/DomainSettings/DomainSettings.txt")):
        os.makedirs(os.path.dirname(os.path.join(drive_c, settings)), exist_ok=True)
        shutil.copy(source, os.path.join(drive_c, settings))

    filler = None
    listing = []
    total = 0
    per_project = [args.drawings // args.projects + (1 if p < args.drawings % args.projects else 0)
                   for p in range(args.projects)]
    index = 0
    large_due = False
    for p, count in enumerate(per_project):
        job = "P%03d" % (p + 1)
        folder = os.path.join(drive_c, "Jobs", job)
        os.makedirs(os.path.join(folder, "xrefs"), exist_ok=True)
        os.makedirs(os.path.join(folder, "sheets"), exist_ok=True)
        # Four projects in five have settings; of those, two in three their
        # own title block.
        settings = p % 5 != 4
        own = settings and p % 3 != 2
        if settings:
            with open(os.path.join(folder, "ProjectSettings.txt"), "w", newline="\r\n") as f:
                f.write(project_settings("%s Archive Job" % job, job, own))
        n_xrefs = min(2, max(0, count - 1))
        xrefs = [("site%d" % (k + 1), "C:\\Jobs\\%s\\xrefs\\site%d.dwg" % (job, k + 1))
                 for k in range(n_xrefs)]
        for number in range(1, count + 1):
            if number <= n_xrefs:
                kind, sub, name, refs = "none", "xrefs", "site%d.dwg" % number, []
            else:
                if settings:
                    kind = "project" if own else "domain"
                    if number % 7 == 0:
                        kind = "summary"
                else:
                    kind = ["standard", "summary", "old"][number % 3]
                sub = "sheets" if number % 4 else ""
                name = "%s-%03d.dwg" % (job.lower(), number)
                refs = xrefs if sub == "sheets" else []
            doc = make_drawing(kind, job, number, rng, refs)
            text = drawing_text(doc)
            if filler is None:
                filler = Filler(model_space_owner(text), LAYERS[:2], "\n")
            elif model_space_owner(text) != filler.owner:
                raise SystemExit("the drawings' model spaces differ; the filler cannot be shared")
            # About one drawing in 160 is large: the first sheet at or after
            # each 160th place.
            if index % LARGE_EVERY == LARGE_EVERY // 2 and args.drawings >= LARGE_EVERY:
                large_due = True
            large = large_due and sub != "xrefs"
            large_due = large_due and not large
            size = size_of(rng, args.scale, large, sub == "xrefs")
            text = with_filler(text, filler, size)
            path = os.path.join(folder, sub, name) if sub else os.path.join(folder, name)
            with open(path, "w", encoding="latin-1", newline="") as f:
                f.write(text)
            total += len(text)
            listing.append("C:\\Jobs\\%s\\%s%s" % (job, sub + "\\" if sub else "", name))
            index += 1
    with open(os.path.join(args.out, "drawings.txt"), "w") as f:
        f.write("\n".join(listing) + "\n")
    sys.stderr.write("%d drawings in %d projects, %.1f MB\n" %
                     (len(listing), args.projects, total / 1e6))


if __name__ == "__main__":
    main()
