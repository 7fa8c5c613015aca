#!/usr/bin/python3
"""Mutation testing of the game's sources: picks small faults (mutants) in
app/ physics/ content/ sound/, builds each in a scratch copy of the tree and
runs the tests that can catch it, to show which faults the suite lets through.

A mutant list names each fault by its source line, so the same faults can be
run again on a later, restructured tree and the two runs compared. The tree
given is only ever read: every change is made in the scratch copy and undone
there, also on Ctrl-C or SIGTERM.

  --tree DIR          the tree to read (default: this checkout)
  --seed, --count     pick COUNT mutants, the same share of each kind of change
  --mutants LIST      run the mutants of a list instead; each is found again by
                      its source line (a mutant whose line is gone is reported)
  --list-out LIST     write the mutants picked or read
  --results TSV       write one record per mutant: killed, survived, timeout,
                      no-compile or gone, the seconds it took and the first
                      failing test
  --scratch DIR       keep the scratch copy and its build here (a later run
                      reuses it); default: a temporary folder
  --jobs N            build jobs (default 2)
  --timeout SECONDS   time limit of one mutant's tests (default three times the
                      unmutated run plus 30 s)
  --list-only         only write or check the list
  --fail-on-survivor  exit 1 when a mutant survives
  --resume            keep the mutants already in the results file, run the rest
  --compare OLD NEW   print the mutants OLD killed that NEW does not; exit 1 if any
  --pick-killed RESULTS  write a sample of the killed mutants as a list
  --merge OUT RESULTS...  join the results of runs that shared out one list
Exit status: 0 done, 1 failure, 2 refused arguments, 130 interrupted.
"""

import argparse
import csv
import io
import math
import os
import random
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

USAGE = """\
usage: mutate.py [--tree DIR] (--seed N --count N | --mutants LIST) [--list-out LIST]
                 [--results TSV] [--scratch DIR] [--jobs N] [--timeout SECONDS]
                 [--list-only] [--fail-on-survivor] [--resume]
       mutate.py --compare OLD_RESULTS NEW_RESULTS
       mutate.py --pick-killed RESULTS --seed N --count N --list-out LIST
       mutate.py --merge OUT RESULTS..."""

GAME_FOLDERS = ("app", "physics", "content", "sound")
# Faults are picked from these kinds of change, in this order of listing.
OPERATORS = ("cmp", "arith", "const", "drop", "neg")
LIST_FIELDS = ["id", "file", "line", "column", "operator", "original", "replacement", "source_line"]
RESULT_FIELDS = LIST_FIELDS + ["status", "seconds", "detail", "at_file", "at_line"]
SCRATCH_MARK = ".mutate-scratch"
STATUSES = ("killed", "survived", "timeout", "no-compile", "gone")

# Drawing code is only exercised by the window tests: a mutant there is also
# run against the drawing cases (each in its own Xvfb).
DRAWING_FILES = ("app/frame_draw.", "app/hud.", "content/draw_shape.cpp", "content/text.",
                 "content/world_draw.", "content/font.cpp", "content/shapes.")


class Refusal(Exception):
    """A bad argument or input file: reported with the usage line, status 2."""


class Interrupted(Exception):
    """SIGINT or SIGTERM arrived: undo the change in the scratch copy and stop."""


# --------------------------------------------------------------------------
# Reading the sources

def game_sources(tree):
    """Relative paths of the hand-written game sources, sorted."""
    found = []
    for folder in GAME_FOLDERS:
        top = os.path.join(tree, folder)
        for dirpath, dirnames, filenames in os.walk(top):
            dirnames.sort()
            for name in filenames:
                if not name.endswith((".cpp", ".h")) or "_gen." in name:
                    continue
                found.append(os.path.relpath(os.path.join(dirpath, name), tree))
    return sorted(found)


def read_text(path):
    with open(path, encoding="utf-8", newline="") as f:
        return f.read()


def code_mask(text):
    """The text with comments, string and character literals and preprocessor
    lines blanked out (newlines kept), so that positions match the source."""
    out = list(text)
    n = len(text)
    i = 0

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        c = text[i]
        nxt = text[i + 1] if i + 1 < n else ""
        if c == "/" and nxt == "/":
            end = text.find("\n", i)
            end = n if end < 0 else end
            blank(i, end)
            i = end
        elif c == "/" and nxt == "*":
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            blank(i, end)
            i = end
        elif c == '"':
            raw = re.search(r'R$', text[max(0, i - 3):i]) is not None
            if raw:
                m = re.compile(r'"([^()\\ ]{0,16})\(').match(text, i)
                end = text.find(")" + m.group(1) + '"', i) if m else -1
                end = n if end < 0 else end + len(m.group(1)) + 2
            else:
                end = i + 1
                while end < n and text[end] not in '"\n':
                    end += 2 if text[end] == "\\" else 1
                end = min(n, end + 1)
            blank(i, end)
            i = end
        elif c == "'" and not (i > 0 and text[i - 1].isalnum()):
            end = i + 1
            while end < n and text[end] not in "'\n":
                end += 2 if text[end] == "\\" else 1
            end = min(n, end + 1)
            blank(i, end)
            i = end
        else:
            i += 1
    masked = "".join(out).split("\n")
    # Preprocessor lines, with their continuations.
    source_lines = text.split("\n")
    continued = False
    for k, line in enumerate(masked):
        if continued or line.lstrip().startswith("#"):
            continued = source_lines[k].rstrip().endswith("\\")
            masked[k] = " " * len(line)
    return masked


# --------------------------------------------------------------------------
# Finding the places a fault can be put

CMP_SWAP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
ARITH_SWAP = {"+": "-", "-": "+", "*": "/", "/": "*", "+=": "-=", "-=": "+=", "*=": "/=", "/=": "*="}
# Binary operators stand between spaces in this code base; templates,
# pointers, unary signs, arrows and shifts do not.
CMP_RE = re.compile(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)")
ARITH_RE = re.compile(r"(?<=\s)([-+*/]=?)(?=\s)")
NUMBER_RE = re.compile(
    r"(?<![\w.])(0[xX][0-9a-fA-F]+[uUlL]*|(?:\d+\.\d*|\.\d+|\d+)(?:[eE][-+]?\d+)?[fFuUlL]*)(?![\w.'])")
IF_RE = re.compile(r"\bif\s*\(")
NOT_STATEMENTS = {"return", "break", "continue", "case", "default", "goto", "using", "typedef",
                  "namespace", "template", "struct", "class", "enum", "union", "static_assert",
                  "extern", "friend", "public", "private", "protected", "else", "do", "if",
                  "for", "while", "switch", "throw", "delete"}


def is_float_literal(text):
    body = text.lower()
    if body.startswith("0x"):
        return False
    return "." in body or "e" in body or body.endswith("f")


def number_sites(masked):
    for m in NUMBER_RE.finditer(masked):
        text = m.group(1)
        if is_float_literal(text) and text[-1] in "lL":
            continue  # long double: not used by the game
        yield m.start(1), text


def statement_site(masked_line, previous_code):
    """The column span of a droppable simple statement on this line, or None."""
    stripped = masked_line.strip()
    if not stripped.endswith(";") or stripped.count(";") != 1:
        return None
    if stripped.count("(") != stripped.count(")") or "{" in stripped or "}" in stripped:
        return None
    if not previous_code or previous_code[-1] not in ";{}:":
        return None  # continues an earlier line, or the body of a bare if/for
    if previous_code.endswith("::") or re.search(r"=\s*(delete|default)\s*;$", stripped):
        return None
    first = re.match(r"[A-Za-z_]\w*", stripped)
    if first and first.group(0) in NOT_STATEMENTS:
        return None
    # A declaration names a type and then a variable before its first
    # operator: "float x = ...", "const Vec2& p{...}", "Foo bar;".
    head = re.split(r"=|\(|\{|\[|\.|->", stripped, maxsplit=1)[0]
    if re.search(r"[\w>&*]\s+[&*]*\w", head):
        return None
    start = masked_line.index(stripped[0])
    return start, start + len(stripped)


def condition_span(masked_line, open_paren):
    depth = 0
    for k in range(open_paren, len(masked_line)):
        if masked_line[k] == "(":
            depth += 1
        elif masked_line[k] == ")":
            depth -= 1
            if depth == 0:
                return k + 1
    return None  # the condition runs on over several lines


BRACE_KINDS = re.compile(r"\b(struct|class|union|enum|namespace|extern)\b|(?<![=!<>])=(?!=)")


def sites_in_file(tree, rel):
    """Every (line, column, operator, original, replacement) of one file; the
    constant's replacement is None (its direction is picked later)."""
    text = read_text(os.path.join(tree, rel))
    lines = text.split("\n")
    masked = code_mask(text)
    sites = []
    previous_code = ""
    # What each open brace holds: "body" for a function or block body,
    # "other" for a type, namespace or initializer; statements can be
    # dropped only in a body.
    braces = []
    since = ""
    for k, (line, code) in enumerate(zip(lines, masked)):
        found = []
        for m in CMP_RE.finditer(code):
            found.append((m.start(1), "cmp", m.group(1), CMP_SWAP[m.group(1)]))
        for m in ARITH_RE.finditer(code):
            found.append((m.start(1), "arith", m.group(1), ARITH_SWAP[m.group(1)]))
        for col, number in number_sites(code):
            found.append((col, "const", number, None))
        span = statement_site(code, previous_code) if braces and braces[-1] == "body" else None
        if span:
            found.append((span[0], "drop", line[span[0]:span[1]], ""))
        for m in IF_RE.finditer(code):
            open_paren = m.end() - 1
            close = condition_span(code, open_paren)
            if close:
                original = line[open_paren:close]
                found.append((open_paren, "neg", original, "(!" + original + ")"))
        for col, op, original, replacement in found:
            sites.append((k + 1, col + 1, op, original, replacement))
        if code.strip():
            previous_code = code.strip()
        for c in code + "\n":
            if c == "{":
                braces.append("other" if BRACE_KINDS.search(since) else "body")
                since = ""
            elif c == "}":
                if braces:
                    braces.pop()
                since = ""
            elif c == ";":
                since = ""
            else:
                since += c
    order = {op: i for i, op in enumerate(OPERATORS)}
    sites.sort(key=lambda s: (s[0], s[1], order[s[2]]))
    return lines, sites


def float32_bits(value):
    return struct.unpack("<I", struct.pack("<f", value))[0]


def float32_of_bits(bits):
    return struct.unpack("<f", struct.pack("<I", bits))[0]


def moved_constant(text, up):
    """The literal one unit (integers) or one ulp (floats) up or down."""
    if is_float_literal(text):
        single = text[-1] in "fF"
        value = float(text[:-1] if single else text)
        if value == 0.0:
            up = True
        if single:
            bits = float32_bits(value) + (1 if up else -1)
            target = float32_of_bits(bits)
            for digits in range(1, 10):
                shown = "%.*g" % (digits, target)
                if float32_bits(float(shown)) == bits:
                    break
        else:
            target = math.nextafter(value, math.inf if up else 0.0)
            shown = repr(target)
        if "." not in shown and "e" not in shown:
            shown += ".0"
        return shown + ("f" if single else "")
    suffix = re.search(r"[uUlL]*$", text).group(0)
    digits = text[:len(text) - len(suffix)]
    value = int(digits, 0)
    if value == 0:
        up = True
    value += 1 if up else -1
    shown = ("0x%X" % value) if digits.lower().startswith("0x") else str(value)
    return shown + suffix


class Mutant:
    def __init__(self, ident, file, line, column, operator, original, replacement, source_line):
        self.id = ident
        self.file = file
        self.line = int(line)
        self.column = int(column)
        self.operator = operator
        self.original = original
        self.replacement = replacement
        self.source_line = source_line
        # Where it was found in the tree being run (replay may move it).
        self.at_file = file
        self.at_line = self.line
        self.at_column = self.column

    def row(self):
        return [self.id, self.file, str(self.line), str(self.column), self.operator,
                self.original, self.replacement, self.source_line]

    def change(self):
        if self.operator == "drop":
            return "drop '%s'" % self.original
        return "%s '%s' -> '%s'" % (self.operator, self.original, self.replacement)


def pick_mutants(tree, seed, count):
    sources = game_sources(tree)
    if not sources:
        raise Refusal("no game sources (app/ physics/ content/ sound/) under %s" % tree)
    candidates = []
    for rel in sources:
        lines, sites = sites_in_file(tree, rel)
        for line, column, op, original, replacement in sites:
            candidates.append((rel, line, column, op, original, replacement, lines[line - 1]))
    # The same share for every kind of change (as far as there are places for
    # it): constants far outnumber the rest, most of them in drawing tables.
    by_operator = {op: [c for c in candidates if c[3] == op] for op in OPERATORS}
    quota = {op: 0 for op in OPERATORS}
    left = min(count, len(candidates))
    while left:
        for op in OPERATORS:
            if left and quota[op] < len(by_operator[op]):
                quota[op] += 1
                left -= 1
    rng = random.Random(seed)
    chosen = []
    for op in OPERATORS:
        chosen += rng.sample(by_operator[op], quota[op])
    order = {op: i for i, op in enumerate(OPERATORS)}
    chosen.sort(key=lambda c: (c[0], c[1], c[2], order[c[3]]))
    mutants = []
    for k, (rel, line, column, op, original, replacement, source) in enumerate(chosen):
        if replacement is None:
            replacement = moved_constant(original, rng.random() < 0.5)
        mutants.append(Mutant("M%04d" % (k + 1), rel, line, column, op, original, replacement, source))
    return mutants, len(candidates)


# --------------------------------------------------------------------------
# Mutant lists and results files (tab-separated, one record a line)

def write_table(path, header_lines, fields, rows):
    buffer = io.StringIO()
    for line in header_lines:
        buffer.write("# %s\n" % line)
    writer = csv.writer(buffer, delimiter="\t", lineterminator="\n")
    writer.writerow(fields)
    writer.writerows(rows)
    folder = os.path.dirname(os.path.abspath(path))
    os.makedirs(folder, exist_ok=True)
    # Not cut short by Ctrl-C: the file is replaced whole or not at all.
    blocked = signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT, signal.SIGTERM})
    try:
        fd, temporary = tempfile.mkstemp(dir=folder, prefix=".mutate-")
        with os.fdopen(fd, "w", encoding="utf-8", newline="") as f:
            f.write(buffer.getvalue())
        os.replace(temporary, path)
    finally:
        signal.pthread_sigmask(signal.SIG_SETMASK, blocked)


def read_table(path, fields):
    try:
        text = read_text(path)
    except OSError as e:
        raise Refusal("cannot read %s: %s" % (path, e.strerror))
    except UnicodeDecodeError:
        raise Refusal("%s is not UTF-8 text" % path)
    body = [line for line in text.split("\n") if line and not line.startswith("#")]
    rows = list(csv.reader(body, delimiter="\t"))
    if not rows or rows[0][:len(fields)] != fields:
        raise Refusal("%s: the first record must be the header %s" % (path, " ".join(fields)))
    header = rows[0]
    records = []
    for number, row in enumerate(rows[1:], start=2):
        if len(row) != len(header):
            raise Refusal("%s: record %d has %d fields, not %d" % (path, number, len(row), len(header)))
        record = dict(zip(header, row))
        if not record["line"].isdigit() or not record["column"].isdigit():
            raise Refusal("%s: record %d: line and column must be numbers" % (path, number))
        if record["operator"] not in OPERATORS:
            raise Refusal("%s: record %d: unknown operator %r" % (path, number, record["operator"]))
        records.append(record)
    return records


def read_mutants(path):
    return [Mutant(*(r[f] for f in LIST_FIELDS)) for r in read_table(path, LIST_FIELDS)]


def read_results(path):
    records = read_table(path, RESULT_FIELDS)
    for r in records:
        if r["status"] not in STATUSES:
            raise Refusal("%s: mutant %s has an unknown status %r" % (path, r["id"], r["status"]))
    return records


# --------------------------------------------------------------------------
# Finding a listed mutant again in a (possibly rewritten) tree

def loose_pattern(text):
    """Matches the text with any whitespace between its characters."""
    return re.compile(r"\s*".join(re.escape(c) for c in text if not c.isspace()))


def squeeze(text):
    return re.sub(r"\s+", "", text)


def locate(mutant, tree, sources, cache):
    """Sets mutant.at_* to where its source line is in this tree; False when
    the line is no longer there (the code was rewritten)."""
    def lines_of(rel):
        if rel not in cache:
            cache[rel] = read_text(os.path.join(tree, rel)).split("\n")
        return cache[rel]

    want = mutant.source_line.strip()
    want_loose = squeeze(want)
    place = None
    if mutant.file in sources:
        lines = lines_of(mutant.file)
        for same in (lambda s: s.strip() == want, lambda s: squeeze(s) == want_loose):
            hits = [k for k, s in enumerate(lines) if same(s)]
            if hits:
                k = min(hits, key=lambda h: (abs(h + 1 - mutant.line), h))
                place = (mutant.file, k)
                break
    if place is None:
        for same in (lambda s: s.strip() == want, lambda s: squeeze(s) == want_loose):
            hits = [(rel, k) for rel in sources for k, s in enumerate(lines_of(rel)) if same(s)]
            if len(hits) == 1:
                place = hits[0]
                break
    if place is None:
        return False
    # The same occurrence of the changed text within the line.
    pattern = loose_pattern(mutant.original)
    before = [m.start() for m in pattern.finditer(mutant.source_line)]
    if mutant.column - 1 not in before:
        return False
    nth = before.index(mutant.column - 1)
    now = list(pattern.finditer(lines_of(place[0])[place[1]]))
    if nth >= len(now):
        return False
    mutant.at_file, mutant.at_line, mutant.at_column = place[0], place[1] + 1, now[nth].start() + 1
    mutant.at_span = (now[nth].start(), now[nth].end())
    return True


# --------------------------------------------------------------------------
# The scratch copy and its build

def tree_files(tree):
    """Files of the tree to copy: what git tracks or would track, else every
    file outside build folders."""
    try:
        out = subprocess.run(["git", "-C", tree, "ls-files", "-z", "--cached", "--others",
                              "--exclude-standard"], capture_output=True, check=True).stdout
        names = [n for n in out.decode("utf-8").split("\0") if n]
        if names:
            return sorted(n for n in names if os.path.isfile(os.path.join(tree, n)))
    except (OSError, subprocess.CalledProcessError):
        pass
    names = []
    for dirpath, dirnames, filenames in os.walk(tree):
        dirnames[:] = sorted(d for d in dirnames if not d.startswith(("build", ".git")))
        for name in filenames:
            names.append(os.path.relpath(os.path.join(dirpath, name), tree))
    return sorted(names)


def same_file(a, b):
    try:
        if os.path.getsize(a) != os.path.getsize(b):
            return False
        with open(a, "rb") as fa, open(b, "rb") as fb:
            return fa.read() == fb.read()
    except OSError:
        return False


class TestStage:
    """One way of running tests: the targets it needs and the command."""

    def __init__(self, name, targets, command, workdir):
        self.name = name
        self.targets = targets
        self.command = command
        self.workdir = workdir


def stages_for(rel):
    unit = TestStage("unit", ["unit_tests"],
                     ["./unit_tests", "--gtest_brief=1", "--gtest_fail_fast"], "tests")

    def ctest(name, regex, targets, exclude=None):
        return TestStage(name, targets, ["ctest", "-R", regex] + (["-E", exclude] if exclude else [])
                         + ["--stop-on-failure", "--no-tests=error", "--output-on-failure"], ".")

    stages = []
    if rel != "app/main.cpp":
        stages.append(unit)
    if rel.startswith(DRAWING_FILES):
        stages.append(ctest("window-draw", r"^window\.WorldDraw\.", ["window_tests", "grapnel"]))
    if rel == "app/frame_draw.cpp":
        # The frame's end (the swap to the screen) shows only in the game's own window.
        stages.append(ctest("window-play", r"^window\.PlayEndToEnd\.", ["window_tests", "grapnel"]))
    if rel == "app/main.cpp":
        # The whole game in a window, the runs that catch most faults first.
        play = r"^window\.(PlayEndToEnd|Startup)\."
        stages.append(ctest("window-play", play, ["window_tests", "grapnel"]))
        stages.append(ctest("window-rest", r"^window\.|^script\.game_e2e$", ["window_tests", "grapnel"],
                            exclude=play))
    if rel.startswith("sound/"):
        stages.append(ctest("sound-wav", r"^script\.sound_wav$", ["sound_wav"]))
    if rel == "sound/synth.cpp":
        # Opening the device, and failing to, shows only in the game's start-up.
        stages.append(ctest("window-start", r"^window\.Startup\.", ["window_tests", "grapnel"]))
    if rel.startswith(("physics/", "app/game_flow", "app/game_run", "content/level")):
        stages.append(ctest("solver", r"^script\.solver_levels$", ["solver"]))
    return stages


class Scratch:
    def __init__(self, path, jobs, log):
        self.path = path
        self.build = os.path.join(path, "build")
        self.saved_objects = os.path.join(path, ".mutate-objects")
        self.jobs = jobs
        self.log = log
        self.child = None
        self.objects = {}

    def sync(self, tree):
        """Makes the copy equal to the tree (outside its build folders)."""
        wanted = tree_files(tree)
        os.makedirs(self.path, exist_ok=True)
        with open(os.path.join(self.path, SCRATCH_MARK), "w") as f:
            f.write("a scratch copy of %s made by tools/mutate.py\n" % tree)
        for rel in wanted:
            source, target = os.path.join(tree, rel), os.path.join(self.path, rel)
            if not same_file(source, target):
                os.makedirs(os.path.dirname(target), exist_ok=True)
                shutil.copyfile(source, target)
                shutil.copymode(source, target)
        keep = set(wanted)
        for dirpath, dirnames, filenames in os.walk(self.path):
            if dirpath == self.path:
                dirnames[:] = [d for d in dirnames if d not in ("build", ".mutate-objects")]
            for name in filenames:
                rel = os.path.relpath(os.path.join(dirpath, name), self.path)
                if rel not in keep and rel != SCRATCH_MARK:
                    os.remove(os.path.join(dirpath, name))

    def run(self, command, cwd, timeout, log_name):
        """Runs a command in its own process group; returns (status, output),
        status None when the time limit ran out."""
        env = dict(os.environ, SDL_AUDIODRIVER="dummy", LC_ALL="C")
        with tempfile.TemporaryFile() as out:
            self.child = subprocess.Popen(command, cwd=cwd, env=env, stdout=out,
                                          stderr=subprocess.STDOUT, start_new_session=True)
            try:
                status = self.child.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                self.kill_child()
                status = None
            finally:
                self.kill_child()
                self.child = None
            out.seek(0)
            text = out.read().decode("utf-8", "replace")
        return status, text

    def kill_child(self):
        child = self.child
        if child is None:
            return
        try:
            os.killpg(child.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass
        child.wait()

    def configure(self):
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        status, text = self.run(["cmake", "-S", self.path, "-B", self.build, "-DBUILD_TESTING=ON"]
                                + generator, self.path, 600, "configure")
        if status != 0:
            raise RuntimeError("configuring the scratch copy failed:\n" + text[-3000:])

    def make(self, targets, timeout):
        return self.run(["cmake", "--build", self.build, "-j", str(self.jobs), "--target"] + targets,
                        self.path, timeout, "build")

    def object_files(self):
        found = {}
        for dirpath, _, filenames in os.walk(self.build):
            for name in filenames:
                if name.endswith(".o"):
                    path = os.path.join(dirpath, name)
                    st = os.stat(path)
                    found[os.path.relpath(path, self.build)] = (st.st_mtime_ns, st.st_size)
        return found

    def save_objects(self):
        """Keeps the unmutated objects, so that undoing a mutant costs no
        compile: its objects are put back instead."""
        shutil.rmtree(self.saved_objects, ignore_errors=True)
        self.objects = self.object_files()
        for rel in self.objects:
            target = os.path.join(self.saved_objects, rel)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copyfile(os.path.join(self.build, rel), target)

    def restore_objects(self):
        now = self.object_files()
        for rel, stamp in self.objects.items():
            if now.get(rel) != stamp:
                # A fresh time stamp: newer than the restored source, and
                # newer than the library and programs linked from the mutant.
                shutil.copyfile(os.path.join(self.saved_objects, rel), os.path.join(self.build, rel))
                self.objects[rel] = self.object_files_one(rel)

    def object_files_one(self, rel):
        st = os.stat(os.path.join(self.build, rel))
        return (st.st_mtime_ns, st.st_size)


# --------------------------------------------------------------------------
# Running mutants

FAILED_GTEST = re.compile(r"^\[  FAILED  \] (\S+)", re.M)
# A parameterised test's name is followed by its "# GetParam() = ..." note.
FAILED_CTEST = re.compile(r"^\s*\d+ - (\S+)(?:\s+#.*)? \(([^()]*)\)\s*$", re.M)


def first_failure(stage, status, output):
    """(status, detail) of a failed test run."""
    m = FAILED_CTEST.search(output) if stage.name != "unit" else FAILED_GTEST.search(output)
    if stage.name != "unit" and m and m.group(2) == "Timeout":
        return "timeout", m.group(1)
    if m:
        return "killed", m.group(1)
    if status is not None and status < 0:
        return "killed", "%s: signal %d" % (stage.name, -status)
    return "killed", "%s: exit status %s" % (stage.name, status)


# Time limit of a test stage on the unmutated tree.
BASELINE_SECONDS = 1800


class Runner:
    def __init__(self, args, log):
        self.args = args
        self.log = log
        self.scratch = None
        self.mutated = None  # (path, original bytes, stat) while a file is changed
        self.baseline = {}

    def undo(self):
        """Puts the changed file of the scratch copy back, byte for byte and
        with its old time stamp, and its unmutated objects."""
        if self.mutated is None:
            return
        path, data, st = self.mutated
        with open(path, "wb") as f:
            f.write(data)
        os.utime(path, ns=(st.st_atime_ns, st.st_mtime_ns))
        self.mutated = None
        self.scratch.restore_objects()

    def prepare(self, tree, mutants):
        self.scratch.sync(tree)
        self.log("configuring and building the scratch copy in %s" % self.scratch.path)
        self.scratch.configure()
        stages = {}
        for m in mutants:
            for stage in stages_for(m.at_file):
                stages[stage.name] = stage
        targets = sorted({t for s in stages.values() for t in s.targets})
        # Builds have no time limit: on a busy machine a change to a widely
        # included header can take many minutes, and a compiler does not hang.
        status, text = self.scratch.make(targets, None)
        if status != 0:
            raise RuntimeError("the unmutated tree does not build:\n" + text[-3000:])
        self.scratch.save_objects()
        for name in sorted(stages):
            stage = stages[name]
            start = time.monotonic()
            status, text = self.scratch.run(stage.command, os.path.join(self.scratch.build, stage.workdir),
                                            BASELINE_SECONDS, name)
            took = time.monotonic() - start
            if status != 0:
                raise RuntimeError("the tests of stage %s fail on the unmutated tree:\n%s"
                                   % (name, text[-3000:]))
            self.baseline[name] = took
            self.log("baseline %s: passed in %.1f s" % (name, took))

    def time_limit(self, stage):
        if self.args.timeout:
            return self.args.timeout
        return 3 * self.baseline[stage.name] + 30

    def run_one(self, m):
        path = os.path.join(self.scratch.path, m.at_file)
        with open(path, "rb") as f:
            data = f.read()
        st = os.stat(path)
        lines = data.decode("utf-8").split("\n")
        line = lines[m.at_line - 1]
        a, b = getattr(m, "at_span", (m.at_column - 1, m.at_column - 1 + len(m.original)))
        if squeeze(line[a:b]) != squeeze(m.original):
            return "gone", 0.0, "the changed text is not at %s:%d" % (m.at_file, m.at_line)
        lines[m.at_line - 1] = line[:a] + m.replacement + line[b:]
        start = time.monotonic()
        blocked = signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT, signal.SIGTERM})
        try:
            self.mutated = (path, data, st)
            with open(path, "wb") as f:
                f.write("\n".join(lines).encode("utf-8"))
        finally:
            signal.pthread_sigmask(signal.SIG_SETMASK, blocked)
        try:
            for stage in stages_for(m.at_file):
                status, text = self.scratch.make(stage.targets, None)
                if status != 0:
                    first_error = re.search(r"error: .*", text)
                    return ("no-compile", time.monotonic() - start,
                            first_error.group(0)[:200] if first_error else "build failed")
                status, text = self.scratch.run(stage.command,
                                                os.path.join(self.scratch.build, stage.workdir),
                                                self.time_limit(stage), stage.name)
                if status is None:
                    return "timeout", time.monotonic() - start, stage.name
                if status != 0:
                    verdict, detail = first_failure(stage, status, text)
                    return verdict, time.monotonic() - start, detail
            return "survived", time.monotonic() - start, ""
        finally:
            blocked = signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT, signal.SIGTERM})
            try:
                self.undo()
            finally:
                signal.pthread_sigmask(signal.SIG_SETMASK, blocked)

    def check_clean(self):
        """After the run: the copy, rebuilt, passes the unit tests again."""
        unit = stages_for("physics/x.cpp")[0]
        status, _ = self.scratch.make(unit.targets, None)
        if status == 0:
            status, _ = self.scratch.run(unit.command, os.path.join(self.scratch.build, unit.workdir),
                                         BASELINE_SECONDS, "unit")
        return status == 0


def result_row(m, status, seconds, detail):
    return m.row() + [status, "%.1f" % seconds, detail, m.at_file, str(m.at_line)]


def summary_counts(statuses):
    counts = {s: statuses.count(s) for s in STATUSES}
    judged = counts["killed"] + counts["survived"] + counts["timeout"]
    rate = 100.0 * counts["killed"] / judged if judged else 0.0
    return counts, ("%d mutants: %d killed, %d survived, %d timed out, %d did not compile, %d gone; "
                    "kill rate %.1f%% (killed of killed + survived + timed out)"
                    % (len(statuses), counts["killed"], counts["survived"], counts["timeout"],
                       counts["no-compile"], counts["gone"], rate))


def report_survivors(rows, out):
    survivors = [r for r in rows if r[8] == "survived"]
    if not survivors:
        return
    out.write("survivors, by file:\n")
    for file in sorted({r[11] for r in survivors}):
        out.write("  %s\n" % file)
        for r in survivors:
            if r[11] == file:
                change = ("drop '%s'" % r[5]) if r[4] == "drop" else "%s '%s' -> '%s'" % (r[4], r[5], r[6])
                out.write("    %s line %s: %s\n" % (r[0], r[12], change))


def run_mutants(args, tree, mutants, log):
    runner = Runner(args, log)
    scratch_dir = args.scratch or tempfile.mkdtemp(prefix="grapnel-mutate-")
    runner.scratch = Scratch(scratch_dir, args.jobs, log)
    rows = []
    header = ["grapnel mutation results: tree %s" % tree]

    def interrupted(signum, frame):
        raise Interrupted(signal.Signals(signum).name)

    old_int = signal.signal(signal.SIGINT, interrupted)
    old_term = signal.signal(signal.SIGTERM, interrupted)
    try:
        sources = set(game_sources(tree))
        cache = {}
        present = []
        done = set()
        if args.resume and args.results and os.path.exists(args.results):
            # Carry on an interrupted run: keep what it found.
            for r in read_results(args.results):
                rows.append([r[f] for f in RESULT_FIELDS])
                done.add(r["id"])
        for m in mutants:
            if m.id in done:
                continue
            if locate(m, tree, sources, cache):
                present.append(m)
            else:
                rows.append(result_row(m, "gone", 0.0, "source line no longer in the tree"))
        if present:
            runner.prepare(tree, present)
        for k, m in enumerate(present, start=1):
            status, seconds, detail = runner.run_one(m)
            rows.append(result_row(m, status, seconds, detail))
            log("[%d/%d] %s %s:%d %s: %s (%.1f s%s)" % (k, len(present), m.id, m.at_file, m.at_line,
                                                        m.change(), status, seconds,
                                                        ", " + detail if detail else ""))
            if args.results:
                write_table(args.results, header, RESULT_FIELDS, sorted(rows))
        if present and not runner.check_clean():
            log("warning: the scratch copy no longer passes the unit tests after the run")
    except Interrupted as e:
        runner.undo()
        runner.scratch.kill_child()
        log("interrupted (%s): the scratch copy is restored; %d mutants were run" % (e, len(rows)))
        if args.results:
            write_table(args.results, header + ["interrupted"], RESULT_FIELDS, sorted(rows))
        return 130, rows
    finally:
        signal.signal(signal.SIGINT, old_int)
        signal.signal(signal.SIGTERM, old_term)
        if not args.scratch:
            shutil.rmtree(scratch_dir, ignore_errors=True)
    rows.sort()
    if args.results:
        write_table(args.results, header, RESULT_FIELDS, rows)
    report_survivors(rows, sys.stdout)
    for r in rows:
        if r[8] == "gone":
            print("gone: %s %s:%s %s" % (r[0], r[1], r[2], r[7].strip()))
    counts, line = summary_counts([r[8] for r in rows])
    print("summary: " + line)
    if args.fail_on_survivor and counts["survived"]:
        return 1, rows
    return 0, rows


# --------------------------------------------------------------------------
# Comparing runs and picking samples

def compare(old_path, new_path):
    old = {r["id"]: r for r in read_results(old_path)}
    new = {r["id"]: r for r in read_results(new_path)}
    for ident in sorted(set(old) & set(new)):
        a, b = old[ident], new[ident]
        if [a[f] for f in ("file", "line", "operator", "original", "replacement")] != \
           [b[f] for f in ("file", "line", "operator", "original", "replacement")]:
            raise Refusal("%s differs between the two runs: they did not use the same mutant list" % ident)
    print("before: " + summary_counts([r["status"] for r in old.values()])[1])
    print("after:  " + summary_counts([r["status"] for r in new.values()])[1])
    lost = 0
    for ident in sorted(old):
        a = old[ident]
        b = new.get(ident)
        if a["status"] == "killed" and (b is None or b["status"] != "killed"):
            now = b["status"] if b else "missing"
            print("no longer killed: %s %s:%s %s '%s' -> '%s': now %s"
                  % (ident, a["file"], a["line"], a["operator"], a["original"], a["replacement"], now))
            lost += 1
    gained = sorted(i for i in new if new[i]["status"] == "killed" and old.get(i, {}).get("status") != "killed")
    for ident in gained:
        b = new[ident]
        print("newly killed: %s %s:%s %s by %s" % (ident, b["file"], b["line"], b["operator"], b["detail"]))
    print("%d killed before are not killed now; %d are newly killed" % (lost, len(gained)))
    return 1 if lost else 0


def merge(out_path, paths):
    """Joins the results of runs that shared out one list (by mutant id)."""
    rows = {}
    for path in paths:
        for r in read_results(path):
            if r["id"] in rows and rows[r["id"]][8] != r["status"]:
                raise Refusal("%s is %s in one file and %s in another"
                              % (r["id"], rows[r["id"]][8], r["status"]))
            rows[r["id"]] = [r[f] for f in RESULT_FIELDS]
    rows = sorted(rows.values())
    write_table(out_path, ["grapnel mutation results joined from %s"
                           % " ".join(os.path.basename(p) for p in paths)], RESULT_FIELDS, rows)
    report_survivors(rows, sys.stdout)
    print("summary: " + summary_counts([r[8] for r in rows])[1])
    return 0


# The sample for CI leaves out mutants that took longer than this to kill in
# the full run (mostly changes to widely included headers), and those of the
# entry point, whose tests are the whole-game window runs: to stay quick.
SAMPLE_SECONDS = 60.0


def pick_killed(results_path, seed, count, out_path):
    killed = [r for r in read_results(results_path)
              if r["status"] == "killed" and float(r["seconds"]) <= SAMPLE_SECONDS
              and r["file"] != "app/main.cpp"]
    if not killed:
        raise Refusal("%s holds no mutant killed within %g s" % (results_path, SAMPLE_SECONDS))
    chosen = random.Random(seed).sample(killed, min(count, len(killed)))
    chosen.sort(key=lambda r: r["id"])
    write_table(out_path, ["grapnel mutants killed by the full run %s: seed %d, %d of %d"
                           % (os.path.basename(results_path), seed, len(chosen), len(killed))],
                LIST_FIELDS, [[r[f] for f in LIST_FIELDS] for r in chosen])
    print("wrote %d of %d killed mutants to %s" % (len(chosen), len(killed), out_path))
    return 0


# --------------------------------------------------------------------------
# Arguments

class Parser(argparse.ArgumentParser):
    def error(self, message):
        raise Refusal(message)


def whole_number(lowest):
    def parse(text):
        if not re.fullmatch(r"\d+", text) or int(text) < lowest:
            raise argparse.ArgumentTypeError("%r is not a whole number of at least %d" % (text, lowest))
        return int(text)
    return parse


def seconds(text):
    try:
        value = float(text)
    except ValueError:
        value = -1.0
    if not value > 0 or math.isinf(value):
        raise argparse.ArgumentTypeError("%r is not a positive number of seconds" % text)
    return value


def parse_args(argv):
    p = Parser(prog="mutate.py", usage=USAGE, add_help=False)
    p.add_argument("--tree", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    p.add_argument("--seed", type=whole_number(0))
    p.add_argument("--count", type=whole_number(1))
    p.add_argument("--mutants")
    p.add_argument("--list-out")
    p.add_argument("--results")
    p.add_argument("--scratch")
    p.add_argument("--jobs", type=whole_number(1), default=2)
    p.add_argument("--timeout", type=seconds)
    p.add_argument("--list-only", action="store_true")
    p.add_argument("--fail-on-survivor", action="store_true")
    p.add_argument("--resume", action="store_true")
    p.add_argument("--compare", nargs=2, metavar=("OLD", "NEW"))
    p.add_argument("--pick-killed")
    p.add_argument("--merge", nargs="+", metavar="FILE")
    p.add_argument("-h", "--help", action="store_true")
    args = p.parse_args(argv)
    if args.help:
        return args
    if args.compare:
        return args
    if args.merge:
        if len(args.merge) < 2:
            raise Refusal("--merge needs the output file and at least one results file")
        return args
    if args.pick_killed:
        if args.seed is None or args.count is None or not args.list_out:
            raise Refusal("--pick-killed needs --seed, --count and --list-out")
        return args
    if args.mutants and (args.seed is not None or args.count is not None):
        raise Refusal("give either --mutants or --seed and --count, not both")
    if not args.mutants and (args.seed is None or args.count is None):
        raise Refusal("give --seed and --count, or --mutants")
    tree = os.path.abspath(args.tree)
    if not os.path.isfile(os.path.join(tree, "CMakeLists.txt")) or \
       not any(os.path.isdir(os.path.join(tree, d)) for d in GAME_FOLDERS):
        raise Refusal("%s is not a game tree (no CMakeLists.txt with app/ physics/ content/ sound/)"
                      % args.tree)
    args.tree = tree
    if args.scratch:
        scratch = os.path.realpath(args.scratch)
        real_tree = os.path.realpath(tree)
        inside = os.path.relpath(scratch, real_tree)
        if inside == "." or not inside.startswith("..") and not inside.startswith("build"):
            raise Refusal("the scratch copy must lie outside the tree or in one of its build folders")
        if not os.path.relpath(real_tree, scratch).startswith(".."):
            raise Refusal("the scratch copy must not hold the tree")
        if os.path.exists(scratch) and not os.path.isdir(scratch):
            raise Refusal("the scratch path %s is not a folder" % args.scratch)
        # The copy is made equal to the tree, deleting what the tree lacks:
        # only ever in a folder this tool made.
        if os.path.isdir(scratch) and os.listdir(scratch) and \
           not os.path.exists(os.path.join(scratch, SCRATCH_MARK)):
            raise Refusal("%s is not empty and not a scratch copy made by mutate.py" % args.scratch)
        args.scratch = scratch
    return args


def main(argv):
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # quietly stop when piped into head
    try:
        args = parse_args(argv)
        if args.help:
            print(USAGE)
            print(__doc__.strip())
            return 0
        if args.compare:
            return compare(*args.compare)
        if args.merge:
            return merge(args.merge[0], args.merge[1:])
        if args.pick_killed:
            return pick_killed(args.pick_killed, args.seed, args.count, args.list_out)
        if args.mutants:
            mutants = read_mutants(args.mutants)
            origin = "list %s" % args.mutants
        else:
            mutants, sites = pick_mutants(args.tree, args.seed, args.count)
            origin = "seed %d, %d of %d places" % (args.seed, len(mutants), sites)
        if args.list_out:
            write_table(args.list_out, ["grapnel mutants: %s" % origin], LIST_FIELDS,
                        [m.row() for m in mutants])
        print("%d mutants (%s)" % (len(mutants), origin))
        if args.list_only:
            # Which of them can still be found in this tree.
            sources, cache = set(game_sources(args.tree)), {}
            for m in mutants:
                if not locate(m, args.tree, sources, cache):
                    print("gone: %s %s:%d %s" % (m.id, m.file, m.line, m.source_line.strip()))
                elif (m.at_file, m.at_line) != (m.file, m.line):
                    print("moved: %s %s:%d -> %s:%d" % (m.id, m.file, m.line, m.at_file, m.at_line))
            return 0

        def log(message):
            print(message, flush=True)
        status, _ = run_mutants(args, args.tree, mutants, log)
        return status
    except Refusal as e:
        sys.stderr.write("mutate.py: %s\n%s\n" % (e, USAGE))
        return 2
    except RuntimeError as e:
        sys.stderr.write("mutate.py: %s\n" % e)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
