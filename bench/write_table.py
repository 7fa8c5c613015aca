#!/usr/bin/python3
"""Turns the results of bench/run.sh into the tables of bench/README.md,
rewriting only the part between the two table markers.
    write_table.py RESULTS_DIR README"""
import glob
import json
import os
import re
import sys

BEGIN = "<!-- figures: written by bench/run.sh -->"
END = "<!-- end of figures -->"
LEVELS = ["title", "level 1", "level 2", "level 3", "level 4", "level 5"]
SCENES = ["resting", "falling", "hanging", "hook_flying", "wedged"]
STEPS = 200
SWEEP = "LevelState::sweep("


def read_dumps(pattern):
    """label -> (instructions, self instructions of LevelState::sweep) for
    every callgrind dump. The sweep's forwarding member costs the same few
    instructions on every call, so its self cost counts the sweeps (callgrind
    keeps counting calls while collection is off, so its call counts would
    not do)."""
    dumps = {}
    for path in glob.glob(pattern):
        label, total, names, in_sweep, after_call, sweep_self = None, None, {}, False, False, 0
        prefix = "desc: Trigger: Client Request: "
        with open(path, errors="replace") as f:
            for line in f:
                if line.startswith(prefix):
                    label = line[len(prefix):].strip()
                elif line.startswith("totals:"):
                    total = int(line.split()[1])
                elif line.startswith(("fn=", "cfn=")):
                    m = re.match(r"c?fn=\((\d+)\)(?: (.*))?", line.strip())
                    if m and m.group(2):
                        names[m.group(1)] = m.group(2)
                    if line.startswith("fn="):
                        name = names.get(m.group(1), "") if m else line[3:]
                        in_sweep = name.startswith(SWEEP)
                    after_call = False
                elif line.startswith("calls="):
                    after_call = True
                elif line[:1].isdigit() or line[:1] in "+-*":
                    if in_sweep and not after_call:
                        sweep_self += int(line.split()[1])
                    after_call = False
        if label and total is not None:
            dumps[label] = (total, sweep_self)
    return dumps


def medians(path):
    if not os.path.exists(path):
        return {}
    with open(path) as f:
        data = json.load(f)
    found = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") == "median":
            found[b["run_name"]] = b
    return found


def probe(path):
    if not os.path.exists(path):
        return None
    words = open(path).read().split()
    return {words[i]: float(words[i + 1]) for i in range(0, len(words) - 1, 2)}


def duration(seconds):
    if seconds < 1e-3:
        return f"{seconds * 1e6:.2f} µs"
    return f"{seconds * 1e3:.3f} ms"


def ratio(a, b):
    return f"{a / b:.2f}" if a is not None and b else "n/a"


def physics_table(out, lines):
    dumps = {}
    dumps.update(read_dumps(os.path.join(out, "steps.grapnel.*")))
    dumps.update(read_dumps(os.path.join(out, "steps.box2d.*")))
    empty = dumps.get("empty/0/none", (0, 0))[0] / STEPS
    times = medians(os.path.join(out, "physics_times.json"))
    # Every update sweeps at least once: the cheapest scene's sweep cost is
    # one sweep.
    per_sweep = min((v[1] for k, v in dumps.items() if k.startswith("grapnel/") and v[1] > 0),
                    default=0)
    lines.append("| level | scene | sweeps per step | Ball::update instr/step | Box2D instr/step "
                 "| instr ratio | time ratio (median) |")
    lines.append("|---|---|---:|---:|---:|---:|---:|")
    for i, level in enumerate(LEVELS):
        for scene in SCENES:
            game = dumps.get(f"grapnel/{i}/{scene}")
            peer = dumps.get(f"box2d/{i}/{scene}")
            g = game[0] / STEPS - empty if game else None
            p = peer[0] / STEPS - empty if peer else None
            sweeps = f"{game[1] / per_sweep:g}" if game and per_sweep else "n/a"
            tg = times.get(f"grapnel/{i}/{scene}")
            tp = times.get(f"box2d/{i}/{scene}")
            t = ratio(tg["cpu_time"], tp["cpu_time"]) if tg and tp else "n/a"
            lines.append(f"| {level} | {scene} | {sweeps} | {g:,.0f} | "
                         f"{'n/a' if p is None else f'{p:,.0f}'} | {ratio(g, p)} | {t} |"
                         if g is not None else f"| {level} | {scene} | n/a | n/a | n/a | n/a | n/a |")
    walls = os.path.join(out, "box2d_walls.txt")
    if os.path.exists(walls):
        lines.append("")
        lines.append("Box2D chains per level (vertices closer than Box2D's 0.005 units dropped):")
        lines.append("")
        for line in open(walls):
            lines.append(f"- {line.strip()}")


def seconds(b, key):
    return b[key] * {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]


def frame_table(out, lines):
    t = medians(os.path.join(out, "frame_times.json"))
    bare = t.get("BM_BareFrame/process_time")

    def row(name, key, floor=True):
        b = t.get(key)
        if not b:
            lines.append(f"| {name} | n/a | n/a | n/a | n/a |")
            return
        cpu = seconds(b, "cpu_time")
        wall = seconds(b, "real_time")
        fl = seconds(bare, "cpu_time") if bare else None
        calls = b.get("draw_calls")
        lines.append(f"| {name} | {duration(cpu)} | {duration(wall)} | "
                     f"{ratio(cpu, fl) if floor else '-'} | {'-' if calls is None else f'{calls:.1f}'} |")

    lines.append("| per frame | CPU time (median) | wall time (median) | × bare frame CPU | draw calls |")
    lines.append("|---|---:|---:|---:|---:|")
    row("game logic, title", "BM_GameLogic/0", False)
    row("game logic, level 5", "BM_GameLogic/1", False)
    row("draw submission, title", "BM_DrawSubmission/0")
    row("draw submission, level 5", "BM_DrawSubmission/1")
    row("whole frame with the renderer, title", "BM_WholeFrame/0/process_time")
    row("whole frame with the renderer, level 5", "BM_WholeFrame/1/process_time")
    row("bare window: clear and swap (the floor)", "BM_BareFrame/process_time")
    game = probe(os.path.join(out, "probe_game.txt"))
    base = probe(os.path.join(out, "probe_bare.txt"))
    lines.append("")
    lines.append("The real binary on its title screen and the bare window, each run alone for the "
                 "same time under the frame probe (pacing cap: a frame once more than 1/120 s has "
                 "passed on the millisecond clock, at most 111 frames a second):")
    lines.append("")
    lines.append("| run | frames per second | CPU per frame | draw calls per frame "
                 "| start to first frame | peak resident memory |")
    lines.append("|---|---:|---:|---:|---:|---:|")
    for name, p in (("game (title)", game), ("bare window", base)):
        if not p or not p.get("frames"):
            lines.append(f"| {name} | n/a | n/a | n/a | n/a | n/a |")
            continue
        lines.append(f"| {name} | {p['frames'] / p['seconds']:.1f} | "
                     f"{1000 * p['cpu_seconds'] / p['frames']:.2f} ms | "
                     f"{p['draw_calls'] / p['frames']:.1f} | {p['first_frame_ms']:.0f} ms | "
                     f"{p['max_rss_kb'] / 1024:.1f} MiB |")


def voice_table(out, lines):
    dumps = read_dumps(os.path.join(out, "voice.*"))
    counts = {}
    path = os.path.join(out, "voice.txt")
    if os.path.exists(path):
        for line in open(path):
            w = line.split()
            if len(w) == 5:
                counts[w[0]] = (int(w[2]), int(w[4]))
    lines.append("| voice | instructions | per |")
    lines.append("|---|---:|---|")
    if "voice/callback" not in counts or "voice/empty" not in dumps:
        lines.append("| n/a | n/a | n/a |")
        return
    calls, frames = counts["voice/callback"]
    empty = dumps["voice/empty"][0] / calls
    rcalls, samples = counts["voice/render"]
    render = (dumps["voice/render"][0] - empty * rcalls) / samples
    callback = (dumps["voice/callback"][0] - empty * calls) / calls
    lines.append(f"| SoundVoice::render | {render:.1f} | rendered sample |")
    lines.append(f"| audio_callback | {callback:,.0f} | callback of 512 frames |")
    lines.append(f"| audio_callback | {callback / 512:.1f} | sample, with the conversion to 16 bits |")


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: write_table.py RESULTS_DIR README")
    out, readme = sys.argv[1], sys.argv[2]
    lines = [BEGIN, "", "### Physics: one step of 1/60 s", ""]
    physics_table(out, lines)
    lines += ["", "### The frame", ""]
    frame_table(out, lines)
    lines += ["", "### The voice", ""]
    voice_table(out, lines)
    lines += ["", END]
    text = open(readme).read() if os.path.exists(readme) else f"{BEGIN}\n{END}\n"
    if BEGIN not in text or END not in text:
        sys.exit(f"write_table.py: {readme} has no table markers")
    head, rest = text.split(BEGIN, 1)
    tail = rest.split(END, 1)[1]
    with open(readme, "w") as f:
        f.write(head + "\n".join(lines) + tail)


if __name__ == "__main__":
    main()
