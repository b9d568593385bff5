#!/usr/bin/env python3
"""Several editors on one project at once: a soak of the module's side files.

    bench/soak/soak.py [--editors 4] [--cycles 250] [--drawings 6] [--bin FOLDER]
                       [--keep FOLDER]

A copy of the sample project holds two jobs (A100 and B200, each with its
project settings file) and a set of drawings shared by every editor: sheets,
which the editors open, and copies, which they save the sheets as. Each of
the editor processes, all with one drive map and one registry folder, runs
its cycles: open a sheet, set its REVISION title value, save it, save it
under the name of its copy, close it; editor e takes in cycle c the sheet
(e + c) mod the number of sheets. A listener process counts the refresh
broadcasts meanwhile.

Afterwards, with every editor done:
  - every history file holds exactly the records the cycles imply (one EDIT
    record for a sheet at each save under a new name, one for its copy at
    each close), by computer, each record whole;
  - every drawing information file is whole: brevant-din reads it without a
    problem, and its REVISION is one that an editor set;
  - no lock file and no temporary file is left anywhere;
  - the registry files read back whole and hold what a single editor leaves
    (each job's search path, the editor's installation values);
  - every drawing still opens;
  - the broadcasts heard equal the changes made (eight a cycle: the lock at
    the open, the drawing information at the save, and at the save under a
    new name the sheet's history, its lock released, the copy's lock and its
    drawing information, at the close the copy's history and its lock).
It prints these figures and the wall time, and ends with status 0 only when
nothing was lost or torn.

Without --bin it builds the release tree (build/release) as scripts/main.sh
does. --keep keeps the run folder there for a look.
"""

import argparse
import collections
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
JOBS = ("A100", "B200")

MONTH = r"(?:Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)"
STAMP = r"\d{1,2}/" + MONTH + r"/\d{4} \d\d:\d\d"
PERIOD = r"\d{1,2} " + MONTH + r" \d{4} \d\d:\d\d"
RECORD = re.compile(r'\r\n' + STAMP + r'> EDIT "soak" "(PC\d+)" "' + PERIOD + r" UNTIL " +
                    PERIOD + r'  \(Last Save: \d\d:\d\d\)"')


def build():
    build_dir = os.path.join(ROOT, "build", "release")
    subprocess.run([os.path.join(ROOT, "scripts", "setup.sh")], check=True)
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja",
                    "-DCMAKE_BUILD_TYPE=Release", "-DBREVANT_BUILD_TESTS=OFF",
                    "-DBREVANT_BUILD_BENCH=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "--target", "brevant-editor", "Brevant15",
                    "TarvexMDITabs15", "brevant-listen", "brevant-din"], check=True)
    return os.path.join(build_dir, "bin")


def sheet(job, i):
    return "C:\\Jobs\\%s\\sheet%02d.dwg" % (job, i)


def copy(job, i):
    return "C:\\Jobs\\%s\\copy%02d.dwg" % (job, i)


def drawings(count):
    """The sheets and their copies: (job, number), half of them in each job."""
    return [(JOBS[i % len(JOBS)], i + 1) for i in range(count)]


def native(run, windows_path):
    return os.path.join(run, windows_path[0], *windows_path[3:].split("\\"))


def environment(run, computer):
    env = {k: v for k, v in os.environ.items() if not k.startswith("BREVANT_")}
    env.update({
        "BREVANT_DRIVES": "C=" + os.path.join(run, "C"),
        "BREVANT_REGISTRY_DIR": os.path.join(run, "registry"),
        "BREVANT_RUNTIME_DIR": os.path.join(run, "runtime"),
        "BREVANT_USER_NAME": "soak",
        "BREVANT_COMPUTER_NAME": computer,
    })
    return env


def set_up(run, bin_folder, count):
    """The project: the sample drive C with the editor installed in it, the
    second job beside the first, and the drawings."""
    shutil.copytree(os.path.join(ROOT, "samples", "drives", "C"), os.path.join(run, "C"))
    install = os.path.join(run, "C", "Tarvex", "Brevant", "bin")
    shutil.copytree(bin_folder, install)
    a100 = os.path.join(run, "C", "Jobs", "A100")
    b200 = os.path.join(run, "C", "Jobs", "B200")
    os.makedirs(b200)
    with open(os.path.join(a100, "ProjectSettings.txt"), encoding="latin-1") as f:
        settings = f.read()
    with open(os.path.join(b200, "ProjectSettings.txt"), "w", encoding="latin-1") as f:
        f.write(settings.replace("A100 Harbour Works", "B200 Quay Works")
                .replace("\nA100\n", "\nB200\n"))
    for job, i in drawings(count):
        shutil.copyfile(os.path.join(a100, "plan01.dwg"), native(run, sheet(job, i)))
    os.makedirs(os.path.join(run, "runtime"), mode=0o700)
    return os.path.join(install, "brevant-editor")


def script(editor, cycles, count):
    lines = ["ARX LOAD Brevant15.arx"]
    shared = drawings(count)
    for c in range(cycles):
        job, i = shared[(editor + c) % count]
        lines += ["OPEN " + sheet(job, i),
                  '(PellamBrevantSetAttributeValue "REVISION" "E%dC%d")' % (editor, c),
                  "SAVE",
                  "SAVEAS " + copy(job, i),
                  "CLOSE"]
    lines.append("QUIT")
    return "\n".join(lines) + "\n"


def read_hive(path):
    """A registry file in the export format: {key: {name: value}}, and the
    lines that are none of a header, a key, a value or blank."""
    with open(path, "rb") as f:
        text = f.read().decode("latin-1")
    lines = text.replace("\r\n", "\n").split("\n")
    keys = {}
    bad = []
    key = None
    if lines[0] != "Windows Registry Editor Version 5.00":
        bad.append(lines[0])
    for line in lines[1:]:
        if line == "":
            continue
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            keys[key] = {}
        elif key is not None and re.fullmatch(r'(@|"(?:[^"\\]|\\.)*")=(.*)', line):
            name, value = re.fullmatch(r'(@|"(?:[^"\\]|\\.)*")=(.*)', line).groups()
            keys[key][name] = value
        else:
            bad.append(line)
    return keys, bad


def registry_values(run):
    values = {}
    problems = []
    for hive in ("user.reg", "machine.reg"):
        keys, bad = read_hive(os.path.join(run, "registry", hive))
        problems += ["%s: a line that is not whole: %r" % (hive, line[:80]) for line in bad]
        for key, names in keys.items():
            for name, value in names.items():
                values[(hive, key, name)] = value
    return values, problems


def reference_registry(editor, run, count):
    """What one editor leaves in a registry of its own: each job opened once."""
    reference = os.path.join(run, "reference")
    os.makedirs(os.path.join(reference, "runtime"), mode=0o700)
    env = environment(run, "PC0")
    env["BREVANT_REGISTRY_DIR"] = os.path.join(reference, "registry")
    env["BREVANT_RUNTIME_DIR"] = os.path.join(reference, "runtime")
    lines = ["ARX LOAD Brevant15.arx"]
    for job, i in drawings(count)[:len(JOBS)]:
        lines += ["OPEN " + sheet(job, i), "CLOSE"]
    path = os.path.join(reference, "reference.scr")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\nQUIT\n")
    subprocess.run([editor, path], cwd=os.path.join(run, "C"), env=env, check=True,
                   stdout=subprocess.DEVNULL)
    values, problems = registry_values(reference)
    # The reference left side files of its own: the soak starts without them.
    for job in JOBS:
        shutil.rmtree(os.path.join(run, "C", "Jobs", job, "docinfo"), ignore_errors=True)
    return values


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--editors", type=int, default=4)
    parser.add_argument("--cycles", type=int, default=250)
    parser.add_argument("--drawings", type=int, default=6)
    parser.add_argument("--bin")
    parser.add_argument("--keep")
    args = parser.parse_args()
    bin_folder = os.path.abspath(args.bin) if args.bin else build()
    if args.keep:
        shutil.rmtree(args.keep, ignore_errors=True)
        os.makedirs(args.keep)
        run = os.path.abspath(args.keep)
    else:
        run = tempfile.mkdtemp(prefix="brevant-soak-")
    try:
        return soak(run, bin_folder, args)
    finally:
        if not args.keep:
            shutil.rmtree(run, ignore_errors=True)


def soak(run, bin_folder, args):
    editor = set_up(run, bin_folder, args.drawings)
    listen = os.path.join(bin_folder, "brevant-listen")
    reference = reference_registry(editor, run, args.drawings)

    heard_path = os.path.join(run, "heard.txt")
    listener_errors = open(os.path.join(run, "listen.err"), "w")
    listener = subprocess.Popen([listen], stdout=open(heard_path, "w"), stderr=listener_errors,
                                env=environment(run, "PC0"))
    deadline = time.time() + 10
    while time.time() < deadline:
        with open(os.path.join(run, "listen.err")) as f:
            if "listening on" in f.read():
                break
        time.sleep(0.1)
    else:
        print("the listener did not start")
        return 1

    started = time.time()
    processes = []
    for e in range(1, args.editors + 1):
        path = os.path.join(run, "editor%d.scr" % e)
        with open(path, "w") as f:
            f.write(script(e, args.cycles, args.drawings))
        out = open(os.path.join(run, "editor%d.out" % e), "w")
        err = open(os.path.join(run, "editor%d.err" % e), "w")
        processes.append(subprocess.Popen([editor, path], cwd=os.path.join(run, "C"),
                                          env=environment(run, "PC%d" % e),
                                          stdout=out, stderr=err))
    statuses = [p.wait() for p in processes]
    wall = time.time() - started

    expected_broadcasts = 8 * args.editors * args.cycles
    deadline = time.time() + 30
    heard = 0
    while time.time() < deadline:
        with open(heard_path) as f:
            heard = sum(1 for line in f if line.startswith('"Pellam-Brevant"'))
        if heard >= expected_broadcasts:
            break
        time.sleep(0.2)
    time.sleep(1)  # one more would be a fault: give it time to arrive
    listener.terminate()
    listener.wait()
    with open(heard_path) as f:
        heard = sum(1 for line in f if line.startswith('"Pellam-Brevant"'))

    problems = []
    for e, status in enumerate(statuses, 1):
        if status != 0:
            problems.append("editor %d ended with status %d (see editor%d.err)" % (e, status, e))
        if os.path.getsize(os.path.join(run, "editor%d.err" % e)) != 0:
            problems.append("editor %d wrote to its error output (see editor%d.err)" % (e, e))

    # The history files.
    shared = drawings(args.drawings)
    expected = collections.Counter()
    for e in range(1, args.editors + 1):
        for c in range(args.cycles):
            job, i = shared[(e + c) % args.drawings]
            expected[(sheet(job, i), "PC%d" % e)] += 1
            expected[(copy(job, i), "PC%d" % e)] += 1
    records = 0
    for job, i in shared:
        for drawing in (sheet(job, i), copy(job, i)):
            folder, name = drawing.rsplit("\\", 1)
            history = native(run, folder + "\\docinfo\\" + name.replace(".dwg", "-dwg.his"))
            text = ""
            if os.path.exists(history):
                with open(history, "rb") as f:
                    text = f.read().decode("latin-1")
            found = collections.Counter()
            at = 0
            for match in RECORD.finditer(text):
                if match.start() != at:
                    break
                found[match.group(1)] += 1
                at = match.end()
            if at != len(text):
                problems.append("%s: torn at byte %d: %r" % (history, at, text[at:at + 80]))
            for e in range(1, args.editors + 1):
                computer = "PC%d" % e
                if found[computer] != expected[(drawing, computer)]:
                    problems.append("%s: %d records of %s, not %d" % (
                        history, found[computer], computer, expected[(drawing, computer)]))
            records += sum(found.values())

    # The drawing information files.
    din = os.path.join(bin_folder, "brevant-din")
    set_values = {"E%dC%d" % (e, c) for e in range(1, args.editors + 1)
                  for c in range(args.cycles)}
    used = {drawing for drawing, _ in expected}
    dins = 0
    for job, i in shared:
        for drawing in (sheet(job, i), copy(job, i)):
            if drawing not in used:
                continue
            folder, name = drawing.rsplit("\\", 1)
            path = folder + "\\docinfo\\" + name.replace(".dwg", "-dwg.din")
            done = subprocess.run([din, path, "--json"], env=environment(run, "PC0"),
                                  capture_output=True, cwd=os.path.join(run, "C"))
            dins += 1
            if done.returncode != 0:
                problems.append("%s: %s%s" % (path, done.stdout.decode()[-300:],
                                              done.stderr.decode()[-300:]))
                continue
            general = json.loads(done.stdout).get("general", {})
            revision = general.get("REVISION") if isinstance(general, dict) else None
            if revision is None and isinstance(general, list):
                revision = next((v.get("value") for v in general if v.get("key") == "REVISION"),
                                None)
            if revision not in set_values:
                problems.append("%s: REVISION %r is none that an editor set" % (path, revision))

    # Nothing left behind.
    left = []
    for folder, _, files in os.walk(os.path.join(run, "C")):
        for name in files:
            if name.endswith(".lok") or ".tmp" in name:
                left.append(os.path.join(folder, name))
    for name in os.listdir(os.path.join(run, "registry")):
        if name not in ("user.reg", "machine.reg", "user.reg.lock", "machine.reg.lock"):
            left.append(os.path.join(run, "registry", name))
    problems += ["left behind: " + path for path in left]

    # The registry.
    values, registry_problems = registry_values(run)
    problems += registry_problems
    for key, value in reference.items():
        if values.get(key) != value:
            problems.append("registry %s %s %s: %r, not %r" % (key[0], key[1], key[2],
                                                               values.get(key), value))

    # Every drawing still opens.
    check = os.path.join(run, "open-all.scr")
    with open(check, "w") as f:
        for drawing in sorted(used):
            f.write("OPEN %s\nCLOSE\n" % drawing)
    reopened = subprocess.run([editor, check], cwd=os.path.join(run, "C"),
                              env=environment(run, "PC0"), capture_output=True)
    if reopened.returncode != 0:
        problems.append("a drawing does not open: " + reopened.stdout.decode()[-500:])

    if heard != expected_broadcasts:
        problems.append("%d broadcasts heard, %d changes made" % (heard, expected_broadcasts))

    cycles = args.editors * args.cycles
    print("soak: %d editors x %d cycles = %d cycles over %d drawings in %.1f s (%.1f cycles/s)"
          % (args.editors, args.cycles, cycles, 2 * args.drawings, wall, cycles / wall))
    print("  history records  %d (expected %d)" % (records, sum(expected.values())))
    print("  drawing information files  %d, read whole" % (dins - sum(
        1 for p in problems if "-dwg.din" in p)))
    print("  broadcasts heard  %d (changes made %d)" % (heard, expected_broadcasts))
    print("  lock and temporary files left  %d" % len(left))
    print("  registry values checked  %d" % len(reference))
    if problems:
        print("LOST OR TORN:")
        for problem in problems:
            print("  " + problem)
        return 1
    print("  nothing lost, nothing torn")
    return 0


if __name__ == "__main__":
    sys.exit(main())
