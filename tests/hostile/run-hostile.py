#!/usr/bin/env python3
"""Runs cases of the hostile-input table: each a small file or command line
given to the editor or to a tool, with its exact expected outcome.

    run-hostile.py BIN-FOLDER TABLE [CASE...] [--update]

Without CASE every case runs. With --update the expected output, error output
and status of the cases run are written into the table from what they give
(the files-left lines are kept as they are): read the difference before you
commit it.

The table is a text file of cases, each starting with "## <name>". Its lines:

    # ...                  what the case is and what it proves
    file DEST = SRC        the file SRC (a path from the table's folder) copied to
                           DEST in the run folder
    make DEST = EXPR       DEST holds the Python expression EXPR, a str taken
                           as bytes 0-255 ("\\x00", "'(' * 10000", ...)
    > LINE                 a line of the editor's session script
    >= EXPR                a line of the session script given by EXPR
    tool NAME ARG...       run the program NAME of the bin folder with the
                           arguments (separated by blanks) instead of the editor
    < LINE                 a line of the exact output expected
    ! LINE                 a line of the exact error output expected
    status N               the exit status expected (default 0)
    mask REGEX             every stretch of the output and error output that
                           the regular expression matches shows as "*" (for
                           what changes from run to run: times, rates)
    absent PATH            the run leaves no file or folder PATH
    unchanged PATH         PATH is byte for byte as the case put it there
    holds PATH = EXPR      PATH holds exactly EXPR

Paths are below the run folder, whose C folder is drive C: and the current
folder; its registry folder holds the registry. The clock is fixed at 3 Dec
2026 09:00, the user is jsmith on PC042. In the output the run folder shows
as $RUN, a byte that is not printable ASCII as \\xNN, and a line longer than
200 characters as its first 60 characters, "..." and its length, so that
huge inputs need no huge expected lines.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
LONG_LINE = 200
TIMEOUT = 60


class Case:
    def __init__(self, name, line):
        self.name = name
        self.line = line
        self.comments = []
        self.setup = []  # (kind, dest, value)
        self.script = []
        self.tool = None
        self.output = []
        self.errors = []
        self.status = 0
        self.checks = []  # (kind, path, value)
        self.masks = []


def evaluate(expression):
    value = eval(expression, {"__builtins__": {"range": range, "chr": chr}}, {})
    if not isinstance(value, str):
        raise ValueError("not a text: " + expression)
    return value.encode("latin-1")


def parse(table):
    cases = []
    case = None
    with open(table, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if line.startswith("## "):
                case = Case(line[3:].strip(), number)
                cases.append(case)
                continue
            if case is None or line == "":
                continue
            if line.startswith("# ") or line == "#":
                case.comments.append(line)
            elif line.startswith(">= "):
                case.script.append(evaluate(line[3:]))
            elif line.startswith("> ") or line == ">":
                case.script.append(line[2:].encode("latin-1"))
            elif line.startswith("< ") or line == "<":
                case.output.append(line[2:])
            elif line.startswith("! ") or line == "!":
                case.errors.append(line[2:])
            else:
                word, _, rest = line.partition(" ")
                if word in ("file", "make", "holds"):
                    dest, _, value = rest.partition(" = ")
                    if word == "holds":
                        case.checks.append((word, dest.strip(), evaluate(value)))
                    else:
                        case.setup.append((word, dest.strip(), value))
                elif word in ("absent", "unchanged"):
                    case.checks.append((word, rest.strip(), None))
                elif word == "tool":
                    case.tool = rest.split()
                elif word == "status":
                    case.status = int(rest)
                elif word == "mask":
                    case.masks.append(re.compile(rest, re.MULTILINE))
                else:
                    sys.exit("%s:%d: a line the table does not know: %s" % (table, number, line))
    return cases


def shorten(line):
    if len(line) > LONG_LINE:
        return "%s... (%d characters)" % (line[:60], len(line))
    return line


def printable(text):
    return "".join(c if " " <= c <= "~" or c == "\t" else "\\x%02x" % ord(c) for c in text)


def lines_of(data, run, masks):
    text = data.decode("latin-1").replace(run, "$RUN")
    for mask in masks:
        text = mask.sub("*", text)
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    return [shorten(printable(line)) for line in lines]


def run_case(case, bin_folder):
    """Returns (output lines, error lines, status, problems with the files)."""
    run = tempfile.mkdtemp(prefix="brevant-hostile-")
    try:
        os.makedirs(os.path.join(run, "C"))
        placed = {}
        for kind, dest, value in case.setup:
            path = os.path.join(run, dest)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            if kind == "file":
                shutil.copyfile(os.path.join(HERE, value), path)
            else:
                with open(path, "wb") as f:
                    f.write(evaluate(value))
            with open(path, "rb") as f:
                placed[dest] = f.read()
        env = {k: v for k, v in os.environ.items() if not k.startswith("BREVANT_")}
        env.update({
            "BREVANT_DRIVES": "C=" + os.path.join(run, "C"),
            "BREVANT_REGISTRY_DIR": os.path.join(run, "registry"),
            "BREVANT_RUNTIME_DIR": os.path.join(run, "runtime"),
            "BREVANT_CLOCK": "2026-12-03 09:00",
            "BREVANT_USER_NAME": "jsmith",
            "BREVANT_COMPUTER_NAME": "PC042",
        })
        if case.tool:
            command = [os.path.join(bin_folder, case.tool[0])] + case.tool[1:]
        else:
            script = os.path.join(run, "session.scr")
            with open(script, "wb") as f:
                f.write(b"".join(line + b"\n" for line in case.script))
            command = [os.path.join(bin_folder, "brevant-editor"), script]
        try:
            done = subprocess.run(command, cwd=os.path.join(run, "C"), env=env,
                                  stdin=subprocess.DEVNULL, capture_output=True,
                                  timeout=TIMEOUT)
            output, errors, status = done.stdout, done.stderr, done.returncode
        except subprocess.TimeoutExpired as expired:
            output, errors = expired.stdout or b"", expired.stderr or b""
            status = "hang (more than %d seconds)" % TIMEOUT
        problems = []
        for kind, path, value in case.checks:
            full = os.path.join(run, path)
            if kind == "absent":
                if os.path.lexists(full):
                    problems.append("%s is there" % path)
                continue
            if not os.path.isfile(full):
                problems.append("%s is missing" % path)
                continue
            with open(full, "rb") as f:
                data = f.read()
            expected = placed.get(path) if kind == "unchanged" else value
            if data != expected:
                problems.append("%s holds %r" % (path, data[:200]))
        return (lines_of(output, run, case.masks), lines_of(errors, run, case.masks), status,
                problems)
    finally:
        subprocess.run(["chmod", "-R", "u+w", run], check=False)
        shutil.rmtree(run, ignore_errors=True)


def update(table, results):
    """Writes the outcome of the cases run into the table: each case's lines
    in their order, then its outcome, then its checks of the files left."""
    with open(table, encoding="utf-8") as f:
        lines = f.read().rstrip("\n").split("\n")
    blocks = [[]]
    for line in lines:
        if line.startswith("## "):
            blocks.append([])
        blocks[-1].append(line)
    written = list(blocks[0])
    for block in blocks[1:]:
        name = block[0][3:].strip()
        if name not in results:
            written.extend(block)
            continue
        while block and block[-1] == "":
            block.pop()
        outcome_line = lambda l: l.startswith(("< ", "! ", "status ")) or l in ("<", "!")
        check_line = lambda l: l.split(" ")[0] in ("absent", "unchanged", "holds")
        output, errors, status = results[name]
        written.extend(l for l in block if not outcome_line(l) and not check_line(l))
        written.extend("< " + l if l else "<" for l in output)
        written.extend("! " + l if l else "!" for l in errors)
        if status != 0:
            written.append("status %s" % status)
        written.extend(l for l in block if check_line(l))
        written.append("")
    with open(table, "w", encoding="utf-8") as f:
        f.write("\n".join(written).rstrip("\n") + "\n")


def main():
    args = [a for a in sys.argv[1:] if a != "--update"]
    updating = "--update" in sys.argv[1:]
    if len(args) < 2:
        sys.exit(__doc__)
    bin_folder, table, names = os.path.abspath(args[0]), args[1], args[2:]
    cases = parse(table)
    known = {case.name for case in cases}
    for name in names:
        if name not in known:
            sys.exit("no case %s in %s" % (name, table))
    failed = 0
    results = {}
    for case in cases:
        if names and case.name not in names:
            continue
        output, errors, status, problems = run_case(case, bin_folder)
        results[case.name] = (output, errors, status)
        if updating:
            continue
        for what, expected, got in (("output", case.output, output),
                                    ("error output", case.errors, errors)):
            if expected != got:
                problems.append("the %s differs:\n  expected:\n%s\n  got:\n%s" % (
                    what, "\n".join("    " + l for l in expected),
                    "\n".join("    " + l for l in got)))
        if status != case.status:
            problems.append("the status is %s, not %s" % (status, case.status))
        if problems:
            failed += 1
            print("FAILED %s (%s:%d)" % (case.name, table, case.line))
            for problem in problems:
                print("  " + problem)
        else:
            print("ok %s" % case.name)
    if updating:
        update(table, results)
        print("updated %d cases in %s" % (len(results), table))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
